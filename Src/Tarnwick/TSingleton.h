// A lazily created process-wide instance of T.
//
// TSingleton<T>::Instance() creates the instance with new T (through the engine allocator when T derives
// from LAllocatedObject) on first use, registers the singleton with the deleter registry and returns it.
// The outermost library stop deletes every singleton instance; the next access creates a fresh one.
// Access from inside T's own constructor is an error: it is reported and yields null.
#pragma once

#include "Src/Pellin/Isol/Report.h"
#include "Src/Tarnwick/LDeleter.h"

template <typename T>
class TSingleton : public LDeleter {
public:
    static T* Instance() { return Self().GetInstance(); }
    // The instance if it exists, without creating it.
    static T* Existing() { return Self().mInstance; }
    static void Delete() { Self().DeleteSelf(); }

    void DeleteSelf() override {
        T* instance = mInstance;
        mInstance = nullptr;
        delete instance;
    }

    // Process exit: an instance nobody deleted is deleted here, and that is reported.
    ~TSingleton() override {
        if (mInstance != nullptr) {
            DeleteSelf();
            ReportDeleteSelfNotCalled();
        }
    }

private:
    TSingleton() = default;

    static TSingleton& Self() {
        static TSingleton sSingleton;
        return sSingleton;
    }

    T* GetInstance() {
        if (mInstance == nullptr) {
            if (mConstructing) {
                LREPORT("TSingleton accessed before constructor!!!");
                return nullptr;
            }
            mConstructing = true;
            try {
                mInstance = new T;
            } catch (...) {
                mConstructing = false;
                throw;
            }
            mConstructing = false;
            DeleterRegistry::Register(this);
        }
        return mInstance;
    }

    T* mInstance = nullptr;
    bool mConstructing = false;
};
