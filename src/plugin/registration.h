#pragma once

#include <string_view>

namespace avrtazu {

class ObjectRegistry;

// The data under which the module registers its one class, as its registry script writes it.
namespace plugin_registration {

inline constexpr std::string_view kClassId = "{275EF467-D6C1-4985-9DF3-57BE6DC11E3C}";
inline constexpr std::string_view kClassDescription = "avrtazuplugin Class";
inline constexpr std::string_view kProgId = "AvrPluginavrtazuplugin.avrtazuplugin.1";
inline constexpr std::string_view kVersionIndependentProgId = "AvrPluginavrtazuplugin";
// An in-process server, called only on the thread that created it.
inline constexpr std::string_view kServerKind = "InprocServer32";
inline constexpr std::string_view kThreadingModel = "Apartment";
inline constexpr std::string_view kTypeLibraryId = "{7805D1E7-104C-4100-ADDD-B0C03FF14385}";
inline constexpr std::string_view kTypeLibraryName = "AvrPluginavrtazuplugin 1.0 Type Library";
inline constexpr std::string_view kTypeLibraryLibrary = "AVRPLUGINAVRTAZUPLUGINLib";

// The interface id hosts ask the class for; the object given is an IGuiPlugin. A host that
// needs more of the object (addFileToProject) casts it to Zuzozuduvuruva.
inline constexpr std::string_view kGuiPluginInterfaceId = "{F986E222-E126-440F-AD2B-18338F907DF9}";

} // namespace plugin_registration

// Registers (or replaces) the plug-in class under its class id, so that every creation for
// the IGuiPlugin interface gives a new Zuzozuduvuruva.
void registerPluginClass(ObjectRegistry& registry);
void registerPluginClass();
void unregisterPluginClass(ObjectRegistry& registry);

} // namespace avrtazu
