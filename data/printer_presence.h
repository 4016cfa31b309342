#pragma once

namespace qorvel {

// What the printer presence check needs of the printer system.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    virtual int printerCount() const = 0;
    // The current printer's device settings can be had.
    virtual bool currentPrinterReady() = 0;
    // Selects the current printer again by its index.
    virtual void reselectCurrentPrinter() = 0;
};

// The printer system in use. Until the print engine installs its own, the built-in
// PDF printer is the one printer, and it is always ready.
PrinterSystem& printerSystem();
void setPrinterSystem(PrinterSystem* system);  // not owned; nullptr restores the built-in one

// Shows "There are no installed printers." or "There is no default printer selected."
// (each with "Unable to perform printer related operations") and returns false when
// printing cannot go ahead.
bool PrinterPresenceCheck();

}  // namespace qorvel
