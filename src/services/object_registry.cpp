#include "services/object_registry.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <exception>

namespace avrtazu {

ObjectRegistry& ObjectRegistry::instance() {
    static ObjectRegistry registry;
    return registry;
}

bool ObjectRegistry::sameId(std::string_view a, std::string_view b) {
    return TextCase::equalIgnoringCase(a, b);
}

const ObjectRegistry::Entry* ObjectRegistry::find(std::string_view classId) const {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& entry) {
        return sameId(entry.classId, classId);
    });
    return it == m_entries.end() ? nullptr : &*it;
}

void ObjectRegistry::registerClass(std::string_view classId, Factory factory) {
    unregisterClass(classId);
    if (factory) {
        m_entries.push_back(Entry{std::string(classId), std::move(factory)});
    }
}

void ObjectRegistry::unregisterClass(std::string_view classId) {
    std::erase_if(m_entries, [&](const Entry& entry) { return sameId(entry.classId, classId); });
}

bool ObjectRegistry::isRegistered(std::string_view classId) const {
    return find(classId) != nullptr;
}

void ObjectRegistry::clear() {
    m_entries.clear();
}

HRESULT ObjectRegistry::createInstance(std::string_view classId, std::string_view interfaceId,
                                       std::shared_ptr<void>* object) const {
    if (object == nullptr) {
        return E_POINTER;
    }
    object->reset();
    const Entry* entry = find(classId);
    if (entry == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    // Copy the factory: it may register or unregister classes while it runs.
    const Factory factory = entry->factory;
    std::shared_ptr<void> created;
    try {
        created = factory(interfaceId);
    } catch (const std::exception&) {
        // A failed construction is a failed creation, as it would be across COM.
        return E_FAIL;
    }
    if (!created) {
        return E_NOINTERFACE;
    }
    *object = std::move(created);
    return S_OK;
}

} // namespace avrtazu
