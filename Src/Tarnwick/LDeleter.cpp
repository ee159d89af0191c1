#include "Src/Tarnwick/LDeleter.h"

#include <vector>

#include "Src/Pellin/Isol/Report.h"

namespace {
std::vector<LDeleter*>* sRegistry = nullptr;
}  // namespace

void LDeleter::ReportDeleteSelfNotCalled() {
    LREPORT("DeleteSelf not called");
}

namespace DeleterRegistry {

void Register(LDeleter* inDeleter) {
    if (sRegistry == nullptr) sRegistry = new std::vector<LDeleter*>();
    sRegistry->push_back(inDeleter);
}

void DeleteAll() {
    // A DeleteSelf may touch another singleton and so register it again; such late registrations land
    // in a fresh registry and are deleted in the next round, so the loop ends with no registry left.
    while (sRegistry != nullptr) {
        std::vector<LDeleter*>* current = sRegistry;
        sRegistry = nullptr;
        for (LDeleter* deleter : *current) deleter->DeleteSelf();
        delete current;
    }
}

int32 Count() {
    return sRegistry != nullptr ? int32(sRegistry->size()) : 0;
}

}  // namespace DeleterRegistry
