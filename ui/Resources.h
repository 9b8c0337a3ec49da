#pragma once
namespace boxora {
// Registers the program's compiled-in resources (icons, logo). The library is
// static, so the registration is made explicit; calling it again is harmless.
void InitResources();
}  // namespace boxora
