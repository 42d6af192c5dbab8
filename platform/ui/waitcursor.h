#pragma once
// CWaitCursor: the wait cursor over every window of the program while the object lives,
// for work that keeps the user waiting on the interface thread. Nested ones stack.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    bool m_shown = false;
};
