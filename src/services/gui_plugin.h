#pragma once

#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/hresult.h"

namespace avrtazu {

// What the host drives a plug-in through. No exception may leave any of these methods.
class IGuiPlugin {
public:
    virtual ~IGuiPlugin() = default;

    // The plug-in's setup description; E_POINTER for a null setup.
    virtual HRESULT GetSetup(Bstr* setup) = 0;
    virtual HRESULT ExecuteCommand(long command) = 0;
    virtual HRESULT HandleEvent(long event, const Bstr& text) = 0;
    // The host keeps owning host; the plug-in keeps the pointer until Close.
    virtual HRESULT Init(IGuiWorks* host) = 0;
    virtual HRESULT SaveFile(const Bstr& fileName, long* ok) = 0;
    virtual HRESULT Close() = 0;
};

} // namespace avrtazu
