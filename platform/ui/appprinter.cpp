#include "platform/ui/appprinter.h"

#include <QCoreApplication>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QtGlobal>
#include <memory>

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

// Qt's page set-up serves every printer here, PDF output included, yet its constructor
// warns that it "cannot be used" on a printer that is not the system's own: the only
// kind there is when no printer is installed. That one warning is kept out of the log.
class CPageSetupWarningFilter
{
public:
    CPageSetupWarningFilter() { s_previous = qInstallMessageHandler(&Filter); }
    ~CPageSetupWarningFilter() { qInstallMessageHandler(s_previous); }
    CPageSetupWarningFilter(const CPageSetupWarningFilter&) = delete;
    CPageSetupWarningFilter& operator=(const CPageSetupWarningFilter&) = delete;

private:
    static void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("QPageSetupDialog: Cannot be used on non-native")))
            return;
        if (s_previous != nullptr)
            s_previous(type, context, message);
    }

    static inline QtMessageHandler s_previous = nullptr;
};

std::unique_ptr<QPageSetupDialog> MakePageSetupDialog(QWidget* parent)
{
    const CPageSetupWarningFilter filter;
    return std::make_unique<QPageSetupDialog>(&GetAppPrinter(), parent);
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
    const std::unique_ptr<QPageSetupDialog> dialog = MakePageSetupDialog(parent);
    return RunModalDialog(*dialog) == QDialog::Accepted;
}
