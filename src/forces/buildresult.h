#pragma once

#include <cstdint>

/// What a request to start a construction or a recruitment came to.
enum sResultBuild : int32_t {
  /// Started.
  sBuildOK = 0,
  /// Construction refused: the square, a required building or a champion is missing.
  sBuildNeedBatiment = 1,
  /// Recruitment refused.
  sBuildError = 2,
};
