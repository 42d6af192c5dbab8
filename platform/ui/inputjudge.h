#pragma once
// CInputJudge: which of the input devices' events a frame of the view waits for, judged from
// the raw events of every device, which name no window (CInputProbe reads them).
//
// A key counts while the program holds the keyboard focus, a held key's repeats never. A
// button or the wheel counts when it goes to one of the program's windows: the pointer is
// over one of them (or over the window manager's frame around one) when no button is held,
// or a button pressed there is still held (the server then sends every button to that
// window, wherever the pointer is); a press while a button pressed over another client's
// window is held goes to that client. The pointer's motion counts while a button pressed
// over the program is held, and while another client's button is held with the pointer over
// the program: a drag from another program that the program must answer before the drop.
// The release that ends such a drag over the program is its drop.
//
// Held buttons follow the releases where the server reports them whatever grab holds the
// pointer; a release missed anyway does not stick: before a held button decides anything,
// the buttons the server says the pointer holds now drop what it no longer holds. Where
// releases go unreported while a button is held (every press grabs the pointer until its
// release), no held button is trusted and every press is judged by where the pointer is.
//
// Keys and buttons stop every frame; the wheel and a drag's motion steer a moving view and
// stop only a still frame. That is judged when a frame looks, by that frame's flag, not when
// the event was read. Input counts only until the event loop delivers it (by the server's
// time stamps); what never reaches the loop stops one frame at most.
//
// Not thread-safe: CInputProbe keeps it behind its lock.

#include <bitset>
#include <cstdint>

class CInputJudge
{
public:
    enum class EInput
    {
        kKeyPress,
        kKeyRelease,
        kButtonPress,
        kButtonRelease,
        kMotion,
    };

    // Answers what the server says now about the program's windows and the pointer; asked
    // only for events whose judgement needs it, and free to answer a batch of events from one
    // question.
    class IServer
    {
    public:
        virtual ~IServer() = default;
        [[nodiscard]] virtual bool HasFocus() = 0;
        [[nodiscard]] virtual bool IsPointerOver() = 0;
        // The buttons the pointer holds now, bit n for button n; buttons the server does not
        // report (above kLastReportedButton) are taken as held.
        [[nodiscard]] virtual std::uint32_t HeldButtons() = 0;
    };

    // The highest button the server's pointer state reports.
    static constexpr unsigned kLastReportedButton = 5;

    // releasesHeard: the server reports a button's release while its press's grab holds.
    explicit CInputJudge(bool releasesHeard = true) : m_releasesHeard(releasesHeard) {}

    // Notes one event (detail: the key code or the button; time: the server's, in
    // milliseconds, wrapping).
    void Note(EInput input, unsigned detail, std::uint32_t time, IServer& server);
    // What the event loop has delivered: the server's time of its latest input event, and
    // whether a release came at that time (a press and its release may share a millisecond,
    // and the loop may begin a frame between them).
    struct SDelivered
    {
        std::uint32_t time = 0;
        bool release = false;
        bool any = false;
        // The mark once the loop has delivered an event of that time too.
        [[nodiscard]] SDelivered With(std::uint32_t at, bool isRelease) const;
    };

    // A frame begins (moving: it draws a moving view), after the loop delivered input up to
    // delivered: answers whether noted input still waits, and forgets what has stopped this
    // frame.
    bool BeginFrame(bool moving, const SDelivered& delivered);
    // Whether input came that the loop has not delivered since the frame began; once true,
    // true until the next frame.
    bool IsWaiting(const SDelivered& delivered);
    // Forgets every event and held key or button (a new connection).
    void Reset(bool releasesHeard);

    // Whether time is later than than on the server's clock, which wraps every 49 days.
    [[nodiscard]] static bool IsLater(std::uint32_t time, std::uint32_t than);

private:
    // The latest event of one kind that counts, its time and whether it was a release.
    struct SLatest
    {
        bool noted = false;
        bool release = false;
        std::uint32_t time = 0;
        void Note(std::uint32_t at, bool isRelease = false)
        {
            noted = true;
            release = isRelease;
            time = at;
        }
        [[nodiscard]] bool IsUndelivered(const SDelivered& delivered) const;
    };

    void NoteKey(bool press, unsigned key, std::uint32_t time, IServer& server);
    void NotePress(unsigned button, std::uint32_t time, IServer& server);
    void NoteRelease(unsigned button, std::uint32_t time, IServer& server);
    void NoteMotion(std::uint32_t time, IServer& server);
    // Drops the held buttons the server says the pointer no longer holds; a release of the
    // program's own missed that way still counts (at time, the event that found it).
    void ForgetReleased(std::uint32_t time, IServer& server);
    bool IsPressForProgram(IServer& server) const;
    bool HasUndelivered(const SDelivered& delivered) const;

    bool m_releasesHeard = true;
    std::bitset<256> m_keysDown;
    // Buttons held that went to the program's windows, and those that went to another's.
    std::uint32_t m_buttonsOurs = 0;
    std::uint32_t m_buttonsOthers = 0;
    // Keys and buttons, which stop every frame; the wheel and a drag's motion, which steer.
    SLatest m_stopping;
    SLatest m_steering;
    bool m_moving = false;
    bool m_waiting = false;
};
