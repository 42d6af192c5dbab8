#include "platform/ui/dialogtemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/ui/dialog.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CDialogTemplate::CDialogTemplate(CDialog& dialog) : m_dialog(dialog) {}

QWidget* CDialogTemplate::Place(int id, QWidget* control, int x, int y, int width, int height)
{
    control->setParent(m_dialog.GetClientWidget());
    control->setGeometry(x, y, width, height);
    if (id != 0)
        m_dialog.AddControl(id, control);
    return control;
}

QLabel* CDialogTemplate::Static(int id, const CString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(ToQString(text));
    Place(id, label, x, y, width, height);
    return label;
}

QCheckBox* CDialogTemplate::Check(int id, const CString& text, int x, int y, int width, int height)
{
    auto* check = new QCheckBox(ToQString(text));
    Place(id, check, x, y, width, height);
    return check;
}

QPushButton* CDialogTemplate::Button(int id, const CString& text, int x, int y, int width, int height)
{
    auto* button = new QPushButton(ToQString(text));
    Place(id, button, x, y, width, height);
    return button;
}

QLineEdit* CDialogTemplate::Edit(int id, int x, int y, int width, int height, bool readOnly)
{
    auto* edit = new QLineEdit;
    edit->setReadOnly(readOnly);
    Place(id, edit, x, y, width, height);
    return edit;
}

QPlainTextEdit* CDialogTemplate::MultiLineEdit(int id, int x, int y, int width, int height, bool readOnly)
{
    auto* edit = new QPlainTextEdit;
    edit->setReadOnly(readOnly);
    Place(id, edit, x, y, width, height);
    return edit;
}

QComboBox* CDialogTemplate::DropList(int id, std::initializer_list<const char*> items, int x, int y, int width,
                                     int height)
{
    auto* combo = new QComboBox;
    for (const char* item : items)
        combo->addItem(QString::fromUtf8(item));
    Place(id, combo, x, y, width, height);
    return combo;
}

QListWidget* CDialogTemplate::ListBox(int id, int x, int y, int width, int height)
{
    auto* list = new QListWidget;
    Place(id, list, x, y, width, height);
    return list;
}

QGroupBox* CDialogTemplate::Group(const CString& text, int x, int y, int width, int height)
{
    auto* group = new QGroupBox(ToQString(text));
    Place(0, group, x, y, width, height);
    group->lower();
    return group;
}

QFrame* CDialogTemplate::Etched(int id, int x, int y, int width, int height)
{
    auto* frame = new QFrame;
    frame->setFrameShape(height <= 2 ? QFrame::HLine : QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    Place(id, frame, x, y, width, height);
    return frame;
}
