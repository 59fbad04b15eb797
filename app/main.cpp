#include "app/command_line_map.h"
#include "app/startup.h"

int main(int argc, char* argv[]) { return RunInstaller(CommandLineMap::FromArguments(argc, argv)); }
