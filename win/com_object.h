// ComObject<Interfaces...>: the IUnknown half of a hand-written COM object. It counts the
// references (created with one, freed at the last Release) and answers QueryInterface from the
// derived class's InterfaceFor, which maps an interface id to the matching `this` (nullptr for
// one it does not implement). IUnknown is the first interface's.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>

template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = iid == IID_IUnknown ? FirstInterface() : InterfaceFor(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    virtual void* InterfaceFor(REFIID iid) = 0;

private:
    template <typename First, typename...>
    struct Front {
        using Type = First;
    };
    void* FirstInterface() { return static_cast<typename Front<Interfaces...>::Type*>(this); }

    std::atomic<ULONG> references_{1};
};
