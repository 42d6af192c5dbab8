#include "app/playanimation.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

#include "app/mfcwinbmp.h"
#include "app/qttext.h"
#include "drawapi/animation.h"
#include "drawapi/tarnisview.h"
#include "platform/ui/stringtable.h"

namespace {

constexpr int IDI_PLAY = 327;
constexpr int IDI_STOP = 329;
constexpr int IDI_PAUSE = 330;
constexpr int IDS_PAUSE = 10553;
constexpr int IDS_PLAY = 10554;
constexpr int IDS_STOP = 10557;
constexpr int kIconSize = 24;

QIcon ButtonIcon(int id)
{
    return QIcon(QPixmap::fromImage(CreateToolbarImageFromResource(id, "SVG", true, kIconSize)));
}

QPushButton* MakeButton(QWidget* parent, int id, int icon, int text)
{
    auto* button = new QPushButton(ButtonIcon(icon), ToQt(LoadStringResource(text)), parent);
    button->setObjectName(QStringLiteral("Control%1").arg(id));
    button->setToolTip(ToQt(LoadStringResource(text)));
    button->setIconSize(QSize(kIconSize, kIconSize));
    return button;
}

}  // namespace

CPlayAnimation::CPlayAnimation(ITarnisView* view, IAnimation* slideshow, QWidget* parent)
    : QDialog(parent), m_view(view), m_slideshow(slideshow)
{
    setWindowTitle(QStringLiteral("Slideshow"));
    m_pauseButton = MakeButton(this, kPauseButtonId, IDI_PAUSE, IDS_PAUSE);
    m_stopButton = MakeButton(this, kStopButtonId, IDI_STOP, IDS_STOP);
    m_stopButton->setDefault(true);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pauseButton);
    layout->addWidget(m_stopButton);
    connect(m_pauseButton, &QPushButton::clicked, this, [this] { OnPauseClicked(); });
    connect(m_stopButton, &QPushButton::clicked, this, &QDialog::accept);
}

CPlayAnimation::~CPlayAnimation()
{
    if (m_slideshow != nullptr && !m_started)
        m_slideshow->Release();
}

void CPlayAnimation::showEvent(QShowEvent* event)
{
    if (parentWidget() != nullptr)
        move(parentWidget()->mapToGlobal(QPoint(0, 0)));
    QDialog::showEvent(event);
    if (m_slideshow == nullptr || m_started)
        return;
    m_started = true;
    m_view->SetAnimation(m_slideshow);
    // A slideshow over in its first step leaves the view at once.
    if (!m_slideshow->Step(m_view))
    {
        m_view->SetAnimation(nullptr);
        m_slideshow = nullptr;
    }
}

void CPlayAnimation::OnPauseClicked()
{
    const bool resume = m_view->IsAnimationPaused();
    m_view->SetAnimationPaused(!resume);
    if (resume)
        if (IAnimation* running = m_view->GetAnimation(); running != nullptr && !running->Step(m_view))
            m_view->SetAnimation(nullptr);
    ShowPauseState(!resume);
}

void CPlayAnimation::ShowPauseState(bool paused)
{
    const QString text = ToQt(LoadStringResource(paused ? IDS_PLAY : IDS_PAUSE));
    m_pauseButton->setText(text);
    m_pauseButton->setToolTip(text);
    m_pauseButton->setIcon(ButtonIcon(paused ? IDI_PLAY : IDI_PAUSE));
}

void CPlayAnimation::StopSlideshow()
{
    if (m_started)
    {
        // The view frees a slideshow that ran to its end; only a running one is finished.
        if (m_slideshow != nullptr && m_view->GetAnimation() == m_slideshow)
            m_slideshow->Finish();
        m_view->SetAnimation(nullptr);
    }
    else if (m_slideshow != nullptr)
    {
        m_slideshow->Release();
    }
    m_slideshow = nullptr;
}

void CPlayAnimation::accept()
{
    StopSlideshow();
    QDialog::accept();
}

void CPlayAnimation::reject()
{
    StopSlideshow();
    QDialog::reject();
}
