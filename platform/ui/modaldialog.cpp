#include "platform/ui/modaldialog.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>

#include "platform/ui/coveredarea.h"

namespace {

ModalDialogSink& Sink()
{
    static ModalDialogSink sink;
    return sink;
}

}  // namespace

ModalDialogSink SetModalDialogSink(ModalDialogSink sink)
{
    ModalDialogSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

int RunModalDialog(QDialog& dialog)
{
    if (Sink())
        return Sink()(dialog);
    if (QGuiApplication::platformName() == QStringLiteral("offscreen"))
        return QDialog::Accepted;
    const int answer = dialog.exec();
    RepaintCoveredArea(dialog);
    return answer;
}

bool CanAnswerModalDialog()
{
    return Sink() || (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
                      QGuiApplication::platformName() != QStringLiteral("offscreen"));
}
