#include "platform/ui/inputjudge.h"

namespace {

constexpr unsigned kFirstWheelButton = 4;
constexpr unsigned kLastWheelButton = 7;

bool IsWheel(unsigned button)
{
    return button >= kFirstWheelButton && button <= kLastWheelButton;
}

std::uint32_t ButtonBit(unsigned button)
{
    return button < 32 ? std::uint32_t{1} << button : 0;
}

// Buttons 1 to kLastReportedButton, whose state the server reports.
constexpr std::uint32_t kReportedButtons = ((std::uint32_t{1} << (CInputJudge::kLastReportedButton + 1)) - 1) & ~1u;

}  // namespace

CInputJudge::SDelivered CInputJudge::SDelivered::With(std::uint32_t at, bool isRelease) const
{
    if (!any || IsLater(at, time))
        return {at, isRelease, true};
    SDelivered mark = *this;
    mark.release = release || (at == time && isRelease);
    return mark;
}

bool CInputJudge::SLatest::IsUndelivered(const SDelivered& delivered) const
{
    return noted && (!delivered.any || IsLater(time, delivered.time) ||
                     (time == delivered.time && release && !delivered.release));
}

bool CInputJudge::IsLater(std::uint32_t time, std::uint32_t than)
{
    return static_cast<std::int32_t>(time - than) > 0;
}

bool CInputJudge::IsPressForProgram(IServer& server) const
{
    if (m_buttonsOurs != 0)
        return true;
    return m_buttonsOthers == 0 && server.IsPointerOver();
}

void CInputJudge::ForgetReleased(std::uint32_t time, IServer& server)
{
    if ((m_buttonsOurs | m_buttonsOthers) == 0)
        return;
    const std::uint32_t held = server.HeldButtons() | ~kReportedButtons;
    if ((m_buttonsOurs & ~held) != 0)
        m_stopping.Note(time, true);
    m_buttonsOurs &= held;
    m_buttonsOthers &= held;
}

void CInputJudge::NoteKey(bool press, unsigned key, std::uint32_t time, IServer& server)
{
    const bool known = key < m_keysDown.size();
    const bool repeat = press && known && m_keysDown.test(key);
    if (known)
        m_keysDown.set(key, press);
    if (!repeat && server.HasFocus())
        m_stopping.Note(time, !press);
}

void CInputJudge::NotePress(unsigned button, std::uint32_t time, IServer& server)
{
    // A button pressed again was let go unheard; the server, asked after this press, may
    // say it is held.
    m_buttonsOurs &= ~ButtonBit(button);
    m_buttonsOthers &= ~ButtonBit(button);
    ForgetReleased(time, server);
    const bool ours = IsPressForProgram(server);
    if (IsWheel(button))
    {
        if (ours)
            m_steering.Note(time);
        return;
    }
    if (m_releasesHeard)
        (ours ? m_buttonsOurs : m_buttonsOthers) |= ButtonBit(button);
    if (ours)
        m_stopping.Note(time);
}

void CInputJudge::NoteRelease(unsigned button, std::uint32_t time, IServer& server)
{
    if (IsWheel(button))
        return;
    const bool ours = (m_buttonsOurs & ButtonBit(button)) != 0;
    const bool others = (m_buttonsOthers & ButtonBit(button)) != 0;
    m_buttonsOurs &= ~ButtonBit(button);
    m_buttonsOthers &= ~ButtonBit(button);
    // Another client's drag that ends over the program drops there.
    if (ours || (others && m_buttonsOthers == 0 && server.IsPointerOver()))
        m_stopping.Note(time, true);
}

void CInputJudge::NoteMotion(std::uint32_t time, IServer& server)
{
    if ((m_buttonsOurs | m_buttonsOthers) == 0)
        return;
    ForgetReleased(time, server);
    if (m_buttonsOurs != 0 || (m_buttonsOthers != 0 && server.IsPointerOver()))
        m_steering.Note(time);
}

void CInputJudge::Note(EInput input, unsigned detail, std::uint32_t time, IServer& server)
{
    switch (input)
    {
    case EInput::kKeyPress: return NoteKey(true, detail, time, server);
    case EInput::kKeyRelease: return NoteKey(false, detail, time, server);
    case EInput::kButtonPress: return NotePress(detail, time, server);
    case EInput::kButtonRelease: return NoteRelease(detail, time, server);
    case EInput::kMotion: return NoteMotion(time, server);
    }
}

bool CInputJudge::HasUndelivered(const SDelivered& delivered) const
{
    return m_stopping.IsUndelivered(delivered) || (!m_moving && m_steering.IsUndelivered(delivered));
}

bool CInputJudge::BeginFrame(bool moving, const SDelivered& delivered)
{
    m_moving = moving;
    m_waiting = HasUndelivered(delivered);
    // What a moving frame lets pass may still stop the still frame after it.
    m_stopping.noted = false;
    if (!moving)
        m_steering.noted = false;
    return m_waiting;
}

bool CInputJudge::IsWaiting(const SDelivered& delivered)
{
    m_waiting = m_waiting || HasUndelivered(delivered);
    return m_waiting;
}

void CInputJudge::Reset(bool releasesHeard)
{
    *this = CInputJudge(releasesHeard);
}
