#include "printer_presence.h"

#include "data/dialog_service.h"

namespace qorvel {

namespace {

class BuiltInPrinters final : public PrinterSystem {
public:
    int printerCount() const override { return 1; }
    bool currentPrinterReady() override { return true; }
    void reselectCurrentPrinter() override {}
};

BuiltInPrinters g_builtIn;
PrinterSystem* g_system = nullptr;

}  // namespace

PrinterSystem& printerSystem() { return g_system ? *g_system : g_builtIn; }
void setPrinterSystem(PrinterSystem* system) { g_system = system; }

bool PrinterPresenceCheck() {
    PrinterSystem& p = printerSystem();
    if (p.printerCount() == 0) {
        dialogs().information(
            QStringLiteral("There are no installed printers.\nUnable to perform printer related operations"));
        return false;
    }
    if (!p.currentPrinterReady()) {
        p.reselectCurrentPrinter();
        if (!p.currentPrinterReady()) {
            dialogs().information(
                QStringLiteral("There is no default printer selected.\nUnable to perform printer related operations"));
            return false;
        }
    }
    return true;
}

}  // namespace qorvel
