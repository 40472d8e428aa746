// Standard library
#include <cstdio>

// The command-line scanner; its options arrive with the engine's scan driver.
int main() {
  std::fputs("quillex-scan 3.0.3\n", stderr);
  return 2;
}
