// zelvo: the keyboard-command console.
#include "console/start.h"

int main(int argc, char** argv) { return zelvo::zelvomain(argc, argv); }
