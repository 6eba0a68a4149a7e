#include "app/font_warm_up.h"

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace {

#if defined(__linux__)
// fontconfig is already loaded with Qt's GUI library; without it (another font
// back end) there is nothing to warm up. Looked up at run time so the build
// needs no fontconfig headers.
void ReadFontConfiguration() {
    void* library = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    if (!library) return;
    // FcInit is safe to race: the first configuration stored wins.
    using TFcInit = int (*)();
    if (auto init = reinterpret_cast<TFcInit>(dlsym(library, "FcInit"))) init();
    dlclose(library);
}
#endif

}  // namespace

FontWarmUp::FontWarmUp() {
#if defined(__linux__)
    worker_ = std::thread(ReadFontConfiguration);
#endif
}

FontWarmUp::~FontWarmUp() {
    if (worker_.joinable()) worker_.join();
}
