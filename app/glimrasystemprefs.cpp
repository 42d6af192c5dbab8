#include "app/glimrasystemprefs.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "app/graphicscardpp.h"
#include "foundation/syshelpers.h"
#include "platform/profile.h"

namespace {

const CString kSection("GlimraSystemPrefs");

}  // namespace

CGlimraSystemPrefs::CGlimraSystemPrefs(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("System Preferences"));
    m_page = new CGraphicsCardPP(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_page);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CGlimraSystemPrefs::~CGlimraSystemPrefs() = default;

void CGlimraSystemPrefs::accept()
{
    m_page->Apply();
    QDialog::accept();
}

void CGlimraSystemPrefs::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    int x = GetProfileInt(kSection, CString("x"), -1);
    int y = GetProfileInt(kSection, CString("y"), -1);
    if (x == -1 || y == -1)
        return;
    // A place stored on a larger screen is pulled back so that the window can be reached.
    int width = 0;
    int height = 0;
    GetVirtualScreenSize(width, height);
    if (y + 40 > height)
        y = height - this->height();
    if (x + 20 > width)
        x = width - this->width();
    move(x, y);
}

void CGlimraSystemPrefs::hideEvent(QHideEvent* event)
{
    (void)WriteProfileInt(kSection, CString("x"), pos().x());
    (void)WriteProfileInt(kSection, CString("y"), pos().y());
    QDialog::hideEvent(event);
}
