#include "platform/dialog_service.h"

#include "platform/scripted_dialog_service.h"

namespace avrtazu {

namespace {

DialogService*& installedService() {
    static DialogService* service = nullptr;
    return service;
}

DialogService& fallbackService() {
    static ScriptedDialogService service;
    return service;
}

} // namespace

void DialogService::install(DialogService* service) {
    installedService() = service;
}

DialogService& DialogService::current() {
    DialogService* service = installedService();
    return service != nullptr ? *service : fallbackService();
}

} // namespace avrtazu
