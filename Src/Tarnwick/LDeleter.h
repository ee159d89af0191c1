// Objects that the library deletes when it stops, and the registry that keeps them.
//
// A lazily created process-wide object (TSingleton) registers its deleter on first use; the outermost
// library stop asks every registered deleter, in registration order, to DeleteSelf and then destroys
// the registry. The registry is created again by the next registration.
#pragma once

#include "Src/Pellin/Isol/IsolTypes.h"

class LDeleter {
public:
    LDeleter() = default;
    virtual ~LDeleter() = default;
    LDeleter(const LDeleter&) = delete;
    LDeleter& operator=(const LDeleter&) = delete;

    // Deletes the owned instance and forgets it.
    virtual void DeleteSelf() = 0;
    // Reported when an owner is destroyed while it still holds its instance.
    virtual void ReportDeleteSelfNotCalled();
};

namespace DeleterRegistry {
// Appends inDeleter; creates the registry on the first registration.
void Register(LDeleter* inDeleter);
// Calls DeleteSelf on every registered deleter in registration order (including deleters registered
// meanwhile), then destroys the registry.
void DeleteAll();
// Number of registered deleters (0 when the registry does not exist).
int32 Count();
}  // namespace DeleterRegistry
