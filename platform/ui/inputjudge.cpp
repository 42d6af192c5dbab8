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

}  // namespace

bool CInputJudge::SLatest::IsUndelivered(std::uint32_t delivered, bool anyDelivered) const
{
    return noted && (!anyDelivered || IsLater(time, delivered));
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

void CInputJudge::Note(EInput input, unsigned detail, std::uint32_t time, IServer& server)
{
    const bool key = detail < m_keysDown.size();
    switch (input)
    {
    case EInput::kKeyPress:
    {
        const bool repeat = key && m_keysDown.test(detail);
        if (key)
            m_keysDown.set(detail);
        if (!repeat && server.HasFocus())
            m_stopping.Note(time);
        return;
    }
    case EInput::kKeyRelease:
        if (key)
            m_keysDown.reset(detail);
        if (server.HasFocus())
            m_stopping.Note(time);
        return;
    case EInput::kButtonPress:
    {
        const bool ours = IsPressForProgram(server);
        if (IsWheel(detail))
        {
            if (ours)
                m_steering.Note(time);
            return;
        }
        (ours ? m_buttonsOurs : m_buttonsOthers) |= ButtonBit(detail);
        if (ours)
            m_stopping.Note(time);
        return;
    }
    case EInput::kButtonRelease:
    {
        if (IsWheel(detail))
            return;
        const bool ours = (m_buttonsOurs & ButtonBit(detail)) != 0;
        m_buttonsOurs &= ~ButtonBit(detail);
        m_buttonsOthers &= ~ButtonBit(detail);
        if (ours)
            m_stopping.Note(time);
        return;
    }
    case EInput::kMotion:
        if (m_buttonsOurs != 0)
            m_steering.Note(time);
        return;
    }
}

bool CInputJudge::HasUndelivered(std::uint32_t delivered, bool anyDelivered) const
{
    return m_stopping.IsUndelivered(delivered, anyDelivered) ||
           (!m_moving && m_steering.IsUndelivered(delivered, anyDelivered));
}

bool CInputJudge::BeginFrame(bool moving, std::uint32_t delivered, bool anyDelivered)
{
    m_moving = moving;
    m_waiting = HasUndelivered(delivered, anyDelivered);
    // What a moving frame lets pass may still stop the still frame after it.
    m_stopping.noted = false;
    if (!moving)
        m_steering.noted = false;
    return m_waiting;
}

bool CInputJudge::IsWaiting(std::uint32_t delivered, bool anyDelivered)
{
    m_waiting = m_waiting || HasUndelivered(delivered, anyDelivered);
    return m_waiting;
}

void CInputJudge::Reset()
{
    *this = CInputJudge();
}
