#include "app/graphicscarddlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/graphicscardpp.h"
#include "app/qttext.h"
#include "render/glcardslist.h"

CGraphicsCardDlg::CGraphicsCardDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("OpenGL Details"));
    // The strings are the context's: the main view's is made current first.
    if (CGlimraApp* app = GetGlimraApp())
        if (CGlimraView* view = app->GetActiveGlimraView())
            (void)view->MakeCurrent();
    const CGLStrings strings = GetCurrentGLStrings();
    m_vendor = strings.vendor;
    m_renderer = strings.renderer;
    m_version = strings.version;
    m_gluVersion = strings.gluVersion;
    m_pixelFormat = DescribeActiveViewPixelFormat();

    auto* form = new QFormLayout;
    const struct
    {
        const char* label;
        const CString* text;
        int id;
    } rows[] = {{"Vendor:", &m_vendor, kVendorId},
                {"Renderer:", &m_renderer, kRendererId},
                {"GL Version:", &m_version, kVersionId},
                {"GLU Version:", &m_gluVersion, kGluVersionId},
                {"Pixel Format:", &m_pixelFormat, kPixelFormatId}};
    for (const auto& row : rows)
    {
        auto* value = new QLabel(ToQt(*row.text), this);
        value->setObjectName(QStringLiteral("Control%1").arg(row.id));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromUtf8(row.label), value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}
