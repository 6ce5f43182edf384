#include "tripdata/TripLoader.h"

#include "platform/MsgBox.h"

#include <QFile>
#include <QHash>

#include <dlfcn.h>

namespace {
// One handle per library file: a library stays loaded for the rest of the run once opened.
void* libraryHandle(const QString& file) {
    static QHash<QString, void*> handles;
    auto it = handles.find(file);
    if (it != handles.end())
        return it.value();
    if (!QFile::exists(file))
        return nullptr;
    void* handle = dlopen(QFile::encodeName(file).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    if (auto setHandler = reinterpret_cast<WendloSetMessageHandlerFn>(dlsym(handle, "WendloSetMessageHandler")))
        setHandler(&WendloMsgBoxBridge, nullptr);
    handles.insert(file, handle);
    return handle;
}
} // namespace

std::shared_ptr<_Trip> CreateTripObject(const QString& appPath, int* errNumber, const char* clsid, const char* iid) {
    int dummy = 0;
    int& err = errNumber ? *errNumber : dummy;
    err = 0;
    void* handle = libraryHandle(appPath + QStringLiteral("/libwendlo.so"));
    auto create = handle ? reinterpret_cast<WendloCreateObjectFn>(dlsym(handle, "WendloCreateObject")) : nullptr;
    if (!create) {
        err = errObjectNotSet;
        return nullptr;
    }
    _Trip* object = nullptr;
    const int rc = create(clsid, iid, &object);
    if (rc == WENDLO_OK && object)
        return std::shared_ptr<_Trip>(object);
    err = rc == WENDLO_NO_INTERFACE ? errNoSuchInterface : errObjectNotSet;
    return nullptr;
}

void RegisterLibrary() {}
