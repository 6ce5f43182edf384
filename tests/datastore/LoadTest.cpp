// The library loads from its file and offers its factory.
#include "Wendlo.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

TEST(Library, ExportsItsFactory) {
    void* handle = dlopen(WENDLO_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    EXPECT_NE(dlsym(handle, "WendloCreateObject"), nullptr);
    dlclose(handle);
}
