#pragma once
// COptionsManager: the option providers of one model, one of every registered kind,
// in registration order. It stores them in the model file by provider name and key and
// reads them back by name, so providers and keys this program does not know are read
// through and dropped.
//
// The registry holds one prototype of each kind; every new manager takes a clone of
// each. Registration and the registry are used from the UI thread only.

#include <vector>

#include "document/optionsprovider.h"
#include "platform/object.h"

class CArchive;

class COptionsManager : public CObject
{
    DECLARE_DYNAMIC(COptionsManager)

public:
    COptionsManager() = default;
    // Deletes the providers.
    ~COptionsManager() override;
    COptionsManager(const COptionsManager&) = delete;
    COptionsManager& operator=(const COptionsManager&) = delete;

    // Takes ownership and appends.
    void AddProvider(COptionsProvider* provider);
    // Takes ownership and inserts before the index (appends when it is out of range).
    void InsertProvider(int index, COptionsProvider* provider);
    [[nodiscard]] int GetProviderCount() const { return static_cast<int>(m_providers.size()); }
    [[nodiscard]] COptionsProvider* GetProviderAt(int index) const;
    // The first provider of exactly this name; null when there is none.
    [[nodiscard]] COptionsProvider* GetProvider(const CString& name) const;
    // False when there is no provider of that name or the provider refuses the value.
    bool SetValue(const CString& providerName, const CString& key, const orvell::utils::CTypedValue& value);
    // Makes every provider current, in order.
    void MakeCurrent();

    // Reading throws the archive exception for a provider count that is negative or
    // larger than the bytes left could hold, and for data that ends early. A number that
    // is not finite takes the key's default where the program computes with it (a length,
    // angle, time or count), converts as any number under an on/off key (on), and is kept
    // as read in a named value; each is said on standard error.
    void Serialize(CArchive& ar) override;

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar) const;

    std::vector<COptionsProvider*> m_providers;
};

// Takes ownership of the prototype. The prototypes keep the order in which model files
// list the providers (units, axes, named, page, slideshow, then any other kind),
// whatever order they are registered in; a second prototype of a name already
// registered is deleted.
void RegisterOptionsProvider(COptionsProvider* prototype);
// A new manager with a clone of every prototype; empty when none is registered.
[[nodiscard]] COptionsManager* CreateOptionsManager();
// The prototype of that name; null when none is registered.
[[nodiscard]] COptionsProvider* GetOptionsProviderPrototype(const CString& name);
// Deletes the prototypes, at program exit.
void FreeOptionsProviderRegistry();
