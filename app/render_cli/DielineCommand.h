#pragma once
// --dieline STYLE --size-mm WxHxD [--thickness MM] [--bleed MM]
// [--glue-flap MM] -o OUT.pdf|OUT.svg|OUT.dxf: a box's flat net for
// printers, die makers and designers. It renders nothing, so it has a
// parser of its own and takes no scene.
#include <string>
#include <vector>

// Whether args ask for a dieline (any of them is --dieline or --dieline=...).
bool IsDielineCommand(const std::vector<std::string>& args);

// Exit status: 0 written, 1 not written, 2 wrong arguments or values.
int RunDielineCommand(const std::vector<std::string>& args);

// The lines of --help about it.
std::string DielineHelpText();
