/* Prints a known line and exits with a known code when it runs at all. */
#include <stdio.h>

int main(void) {
  printf("32-bit code runs\n");
  return 32;
}
