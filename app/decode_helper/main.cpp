// boxora-decode: the short-lived helper process in which the programs run
// the format libraries that may crash or run away on hostile files.
#include "image/DecodeHelper.h"

int main(int argc, char** argv) { return imagecodec::helper::RunDecodeHelper(argc, argv); }
