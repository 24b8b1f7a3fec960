#pragma once

#include "services/bstr.h"
#include "services/hresult.h"

#include <cstdint>

namespace avrtazu {

// An opaque native window. On the Qt hosts it is the QWidget* of a docked window's client
// area; the plug-in only hands it on to its own window code.
using WindowHandle = void*;

// Kinds of build-output lines for AddOutputMessage.
inline constexpr long kOutputPlain = 0;
inline constexpr long kOutputWarning = 1;
inline constexpr long kOutputError = 2;
inline constexpr long kOutputToolLine = 3;

// The host IDE's editor, output window, docked window and directory services, handed to the
// plug-in's Init. The plug-in keeps the pointer without owning it.
class IGuiWorks {
public:
    virtual ~IGuiWorks() = default;

    virtual HRESULT CloseFile(const Bstr& path) = 0;
    virtual HRESULT GetActiveFile(Bstr* path) = 0;
    // The out value is the host's own and may be ignored.
    virtual HRESULT AddSourceFile(const Bstr& path, long* result) = 0;
    // Creates an empty docked window and gives its client area in *window.
    virtual HRESULT CreateDockWindow(const Bstr& title, const Bstr& anchor, const Bstr& side,
                                     long flags, long iconResourceId, void* moduleInstance,
                                     WindowHandle* window) = 0;
    virtual HRESULT GetProjectDirectory(Bstr* path) = 0;
    // Gives the initial file of a new project, or empty text.
    virtual HRESULT GetInitialFileName(Bstr* path) = 0;
    virtual HRESULT OpenFileAtLine(const Bstr& path, long line, long flags) = 0;
    // A result other than S_OK means the file could not be opened.
    virtual HRESULT OpenFile(const Bstr& path, long flags) = 0;
    // One build-output line of the given kOutput... kind.
    virtual HRESULT AddOutputMessage(const Bstr& text, long kind) = 0;
    virtual HRESULT GetObjectFileState(std::int16_t* state) = 0;
    virtual HRESULT ShowHelp(const Bstr& request) = 0;
    virtual HRESULT SetCommandState(long command, long state) = 0;
    virtual HRESULT GetStudioDirectory(Bstr* path) = 0;
    virtual HRESULT ClearOutput() = 0;
    virtual HRESULT LoadObjectFile() = 0;
    // Non-zero *open: an editor has the file open.
    virtual HRESULT IsFileOpen(const Bstr& path, std::int16_t* open) = 0;
};

} // namespace avrtazu
