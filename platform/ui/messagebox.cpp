#include "platform/ui/messagebox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

#include "platform/ui/stringtable.h"
#include "platform/ui/uitypes.h"

namespace {

MessageBoxSink& Sink()
{
    static MessageBoxSink sink;
    return sink;
}

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

int ShowModalBox(const CMessageBoxCall& call)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (call.type & 0xF)
    {
    case MB_OKCANCEL: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case MB_YESNOCANCEL: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case MB_YESNO: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
    }
    QMessageBox::Icon icon = QMessageBox::Warning;
    if ((call.type & 0xF0) == MB_ICONSTOP)
        icon = QMessageBox::Critical;
    else if ((call.type & 0xF0) == MB_ICONQUESTION)
        icon = QMessageBox::Question;
    else if ((call.type & 0xF0) == MB_ICONINFORMATION)
        icon = QMessageBox::Information;
    QMessageBox box(icon, QApplication::applicationDisplayName(), ToQString(call.text), buttons);
    if ((call.type & 0xF00) == MB_DEFBUTTON2 && (buttons & (QMessageBox::No | QMessageBox::Cancel)) != 0)
        box.setDefaultButton((buttons & QMessageBox::No) != 0 ? QMessageBox::No : QMessageBox::Cancel);
    switch (box.exec())
    {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
    }
}

}  // namespace

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink)
{
    MessageBoxSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

int AfxMessageBox(const CString& text, UINT type, UINT helpId)
{
    const CMessageBoxCall call{text, type, helpId};
    if (Sink())
        return Sink()(call);
    // Offscreen there is nobody to press a button: a modal box would wait for ever.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr &&
        QGuiApplication::platformName() != QStringLiteral("offscreen"))
        return ShowModalBox(call);
    std::fprintf(stderr, "%s\n", text.ToUtf8().c_str());
    return IDOK;
}

int AfxMessageBox(int stringId, UINT type, UINT helpId)
{
    return AfxMessageBox(LoadStringResource(stringId), type, static_cast<UINT>(helpId));
}
