// main.cpp: the program's entry point.
#include "platform/contract/program.h"
#include "startup/AppModul.h"

int main(int argc, char** argv) { return platform::RunProgram(argc, argv, &Main); }
