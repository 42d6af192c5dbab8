#include "platform/ui/printingdialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CPrintingDialog::CPrintingDialog(const CString& document, const CString& printer, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Printing"));
    // Over every window of the program: nothing else may start while the job runs.
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(document), this));
    if (!printer.IsEmpty())
        layout->addWidget(new QLabel(QStringLiteral("on %1").arg(ToQString(printer)), this));
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    layout->addWidget(m_progress);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &CPrintingDialog::reject);
    layout->addWidget(buttons);
}

void CPrintingDialog::SetSheet(int sheet, int count)
{
    m_progress->setText(count > 0 ? QStringLiteral("Printing sheet %1 of %2").arg(sheet).arg(count)
                                  : QStringLiteral("Printing sheet %1").arg(sheet));
}

void CPrintingDialog::ProcessEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CPrintingDialog::reject()
{
    m_cancelled = true;
    QDialog::reject();
}

void CPrintingDialog::closeEvent(QCloseEvent* event)
{
    m_cancelled = true;
    QDialog::closeEvent(event);
}
