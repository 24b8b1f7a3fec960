#pragma once

#include "services/hresult.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace avrtazu {

// The in-process stand-in for creating COM objects by class id. A factory is asked for one
// interface of a new (or shared) object and gives nullptr when it does not offer that
// interface. Class ids compare without regard to case, as the system registry does.
class ObjectRegistry {
public:
    using Factory = std::function<std::shared_ptr<void>(std::string_view interfaceId)>;

    // The process-wide registry that hosts and plug-ins register their classes in.
    static ObjectRegistry& instance();

    // Registers or replaces the factory of a class.
    void registerClass(std::string_view classId, Factory factory);
    // Convenience for a class with a single interface: make() must give a T under interfaceId.
    template <class T>
    void registerClass(std::string_view classId, std::string_view interfaceId,
                       std::function<std::shared_ptr<T>()> make);
    void unregisterClass(std::string_view classId);
    bool isRegistered(std::string_view classId) const;
    void clear();

    // Class and interface ids are equal when they differ at most in case.
    static bool sameId(std::string_view a, std::string_view b);

    // REGDB_E_CLASSNOTREG for an unknown class, E_NOINTERFACE when the factory gives nothing,
    // E_FAIL when it throws, E_POINTER for a null object; *object is cleared on failure.
    HRESULT createInstance(std::string_view classId, std::string_view interfaceId,
                           std::shared_ptr<void>* object) const;
    // Typed creation: T must be the type the factory gives for interfaceId.
    template <class T>
    std::shared_ptr<T> create(std::string_view classId, std::string_view interfaceId,
                              HRESULT* result = nullptr) const;

private:
    struct Entry {
        std::string classId;
        Factory factory;
    };
    const Entry* find(std::string_view classId) const;

    std::vector<Entry> m_entries;
};

template <class T>
void ObjectRegistry::registerClass(std::string_view classId, std::string_view interfaceId,
                                   std::function<std::shared_ptr<T>()> make) {
    registerClass(classId,
                  [id = std::string(interfaceId),
                   make = std::move(make)](std::string_view asked) -> std::shared_ptr<void> {
                      if (!sameId(asked, id)) {
                          return nullptr;
                      }
                      return make();
                  });
}

template <class T>
std::shared_ptr<T> ObjectRegistry::create(std::string_view classId, std::string_view interfaceId,
                                          HRESULT* result) const {
    std::shared_ptr<void> object;
    const HRESULT hr = createInstance(classId, interfaceId, &object);
    if (result != nullptr) {
        *result = hr;
    }
    return std::static_pointer_cast<T>(object);
}

} // namespace avrtazu
