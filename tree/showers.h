#pragma once
#include <QByteArray>
#include <cstring>
#include <functional>

namespace st::tree {

// A viewer callback bound to an object: (entry id, reload). Two callbacks are
// one registration when both the method and the object are the same.
class proArShower {
  public:
    proArShower() = default;
    template <class T>
    static proArShower of(T* object, void (T::*method)(int nid, bool freget)) {
        proArShower s;
        s.object_ = object;
        s.method_.resize(sizeof(method));
        std::memcpy(s.method_.data(), &method, sizeof(method));
        s.call_ = [object, method](int nid, bool freget) { (object->*method)(nid, freget); };
        return s;
    }
    // A free function object; its identity is the tag given.
    static proArShower of(const void* tag, std::function<void(int, bool)> fn) {
        proArShower s;
        s.object_ = tag;
        s.call_ = std::move(fn);
        return s;
    }
    void operator()(int nid, bool freget) const { call_(nid, freget); }
    bool operator==(const proArShower& o) const {
        return object_ == o.object_ && method_ == o.method_;
    }

  private:
    const void* object_ = nullptr;
    QByteArray method_;
    std::function<void(int, bool)> call_;
};

// One registration.
struct arrArShower {
    proArShower proc;
    bool isActive = true;
};

}  // namespace st::tree
