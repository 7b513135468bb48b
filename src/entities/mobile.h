#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/buffer.h"
#include "base/coords.h"

class cListeMobiles;

/// Every named thing of the game: an identifier (-1 for none yet) and a name of
/// at most 40 characters, kept in lower case when it comes from outside.
class cMobile {
 public:
  /// Identifier -1, name "dummy".
  cMobile();
  /// The name is cut to 40 characters and put in lower case.
  cMobile(int32_t PUID, std::string_view PNAME);
  virtual ~cMobile();

  cMobile(const cMobile&) = delete;
  cMobile& operator=(const cMobile&) = delete;

  /// One line "uid:name".
  virtual void TOBUFFER(cBuffer& OUTPUT);
  /// Reads "uid:name": the uid before the first ':' (cConversionError when it is
  /// not a number), the name after it in lower case.
  virtual void FROMBUFFER(cBuffer& INPUT);

  /// A number no other mobile of the run has ever had or will have: what a
  /// walk recognises an element by, when elements may be destroyed and made
  /// while it runs (an address or a uid may be given again).
  uint64_t SERIAL() const { return FSERIAL; }

  int32_t FUID = -1;
  std::string FNAME = "dummy";

 private:
  uint64_t FSERIAL;
};

/// Reads a catalogue line "#uid:name" into M: the first character is dropped,
/// the uid runs to the first ':' (cConversionError when it is not a number),
/// the rest is the name, its case kept, cut to 40 characters.
void READNUMBEREDNAME(cMobile& M, std::string_view S);

/// A mobile standing on the map: its square, the square's index, and the
/// catalogue record it is an instance of (its model, never owned).
class cMobilePosition : public cMobile {
 public:
  /// Identifier -1, name "dummy", square (0, 0), index 0, no model: the empty
  /// piece that readers fill with FROMBUFFER.
  cMobilePosition();
  /// Not placed yet: square (-1, -1), index -1.
  cMobilePosition(int32_t PUID, std::string_view PNAME, cMobile* MOBMODELE,
                  cListeMobiles* MODELES = nullptr);
  /// Identifier -1, the model's name and the model, not placed.
  explicit cMobilePosition(cMobile* MOBMODELE);
  ~cMobilePosition() override;

  /// Three lines: "#uid", "modelname:modeluid", "position:X,Y".
  void TOBUFFER(cBuffer& OUTPUT) override;
  void FROMBUFFER(cBuffer& INPUT) override;
  /// Reads the three lines; the model is searched by uid in MODELES, or else in
  /// LSTMODELES when it is set. The name read is the model's name.
  virtual void FROMBUFFER(cBuffer& INPUT, cListeMobiles* MODELES);

  /// Places the piece: square and square index together.
  void SETPOSITION(tcoordMap COORD);
  void PUT(tcoordMap PMPOSITION) { SETPOSITION(PMPOSITION); }
  void PUT(int32_t X, int32_t Y) { SETPOSITION(COORDMAP(X, Y)); }

  tcoordMap FPOSITION{0, 0};
  int32_t FINDEX = 0;
  cListeMobiles* LSTMODELES = nullptr;
  cMobile* FMODELE = nullptr;
};
