#pragma once
// CRepairNotes: what reading a file mends in place of a value it cannot take (a number
// that is not finite where a record has its own repair for it) is said on standard
// error, so that a user who sees a label at the window's centre knows why. A file's read
// opens a scope and each note is said once in it, however many records it mends; outside
// a scope every note is said. Scopes nest; the innermost holds. User-interface thread only.

#include <string>
#include <vector>

class CRepairNotes
{
public:
    CRepairNotes();
    ~CRepairNotes();
    CRepairNotes(const CRepairNotes&) = delete;
    CRepairNotes& operator=(const CRepairNotes&) = delete;

    // Writes "glimra: <note>" and a line end unless the note was said in this scope.
    static void Say(const char* note);

private:
    CRepairNotes* m_previous;
    std::vector<std::string> m_said;
};

// A number read that is not finite becomes the repair and the note is said; true when
// it was mended.
bool MendNotFinite(double& value, double repair, const char* note);

// The same for a point or a vector: one coordinate that is not finite mends all three.
template <typename Triple>
bool MendNotFinite(Triple& value, const Triple& repair, const char* note)
{
    if (value.IsValid()) {
        return false;
    }
    value = repair;
    CRepairNotes::Say(note);
    return true;
}
