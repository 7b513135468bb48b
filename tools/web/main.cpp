// royaumes-web: placeholder while the gateway is being written.
int main() { return 1; }
