#pragma once
// References that may outlive what they refer to. Every TLiveObject takes a serial number that
// is never given again in the process (64 bits: no wrap-around in any lifetime), and a TRef
// holds that number, not an address. Resolving a reference whose object is gone yields null,
// also when a new object has taken the old address. Controls, menus and posted messages hold
// these, so a record released while messages were let through can never be reached again.
//
// The registry has no lock: objects are made, released and resolved on the GUI thread only.
// Workers are handed copies of what they need, never references.
#include <concepts>
#include <cstdint>
#include <unordered_map>

namespace tsb {

using TSerial = std::uint64_t;  // 0 stands for no object

class TLiveObject {
public:
    TLiveObject() : serial_(++NextSerial()) { Registry().emplace(serial_, this); }
    virtual ~TLiveObject() { Registry().erase(serial_); }
    // A copy is another object, with a serial of its own; assignment keeps each one's serial.
    TLiveObject(const TLiveObject&) : TLiveObject() {}
    TLiveObject& operator=(const TLiveObject&) { return *this; }

    TSerial Serial() const { return serial_; }
    // The live object that took this serial, or null.
    static TLiveObject* Find(TSerial serial) {
        if (serial == 0) return nullptr;
        auto it = Registry().find(serial);
        return it == Registry().end() ? nullptr : it->second;
    }

private:
    static TSerial& NextSerial() {
        static TSerial last = 0;
        return last;
    }
    static std::unordered_map<TSerial, TLiveObject*>& Registry() {
        // Never destroyed, so objects released by static destructors at exit still find it.
        static auto* live = new std::unordered_map<TSerial, TLiveObject*>;
        return *live;
    }

    TSerial serial_;
};

template <class T>
class TRef {
public:
    TRef() = default;
    // Implicit: wherever a record is at hand, its reference is.
    TRef(const T* object) : serial_(object ? object->Serial() : 0) {}
    template <class U>
        requires std::derived_from<U, T>
    TRef(const TRef<U>& other) : serial_(other.Serial()) {}
    static TRef FromSerial(TSerial serial) {
        TRef r;
        r.serial_ = serial;
        return r;
    }

    TSerial Serial() const { return serial_; }
    bool Empty() const { return serial_ == 0; }  // refers to nothing (not: its object is gone)
    // The object, or null once it is gone.
    T* Get() const { return As<T>(); }
    // The object as a U, or null once it is gone or when it is no U.
    template <class U>
    U* As() const {
        return dynamic_cast<U*>(TLiveObject::Find(serial_));
    }

    bool operator==(const TRef&) const = default;

private:
    TSerial serial_ = 0;
};

using TObjectRef = TRef<TLiveObject>;

}  // namespace tsb
