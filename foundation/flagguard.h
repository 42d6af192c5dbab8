#pragma once
// CFlagGuard: sets a flag for the life of the guard and gives it back its old value, so
// a window can say "I am writing my own controls" around code that may return early.

class CFlagGuard
{
public:
    explicit CFlagGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~CFlagGuard() { m_flag = m_old; }
    CFlagGuard(const CFlagGuard&) = delete;
    CFlagGuard& operator=(const CFlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_old;
};
