#include "platform/ui/appprinter.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrinter>

#include "platform/ui/modaldialog.h"

namespace {

QPrinter*& Printer()
{
    static QPrinter* printer = nullptr;
    return printer;
}

// The printer's platform plug-in may go with the application; the printer goes first.
void ReleasePrinter()
{
    delete Printer();
    Printer() = nullptr;
}

}  // namespace

QPrinter& GetAppPrinter()
{
    if (Printer() == nullptr)
    {
        Printer() = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(ReleasePrinter);
    }
    return *Printer();
}

bool RunPrintSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&GetAppPrinter(), parent);
    return RunModalDialog(dialog) == QDialog::Accepted;
}
