// IUnknown and IDispatch with their vtable slots 0-6, a reference-counting
// smart pointer and a base that implements both for one interface.
#pragma once

#include <atomic>
#include <utility>

#include "contract/com_types.h"
#include "contract/guid.h"
#include "contract/variant.h"

namespace bkvp {

struct ITypeInfo;  // type information is not offered by this system's objects
struct DISPPARAMS;
struct EXCEPINFO;

struct IUnknown {
  static constexpr IID kIid = MakeGuid("{00000000-0000-0000-C000-000000000046}");
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;  // slot 0
  virtual ULONG AddRef() = 0;                                         // slot 1
  virtual ULONG Release() = 0;                                        // slot 2

 protected:
  ~IUnknown() = default;
};

struct IDispatch : IUnknown {
  static constexpr IID kIid = MakeGuid("{00020400-0000-0000-C000-000000000046}");
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;                           // slot 3
  virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) = 0;  // slot 4
  virtual HRESULT GetIDsOfNames(const IID& iid, LPOLESTR* names, UINT count, LCID locale,
                                DISPID* ids) = 0;  // slot 5
  virtual HRESULT Invoke(DISPID id, const IID& iid, LCID locale, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;  // slot 6

 protected:
  ~IDispatch() = default;
};

// Holds one reference to an interface.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes an extra reference.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adopts a reference the caller already owns.
  static ComPtr Attach(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters of creation and query calls.
  void** out() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }
  T* release() { return std::exchange(p_, nullptr); }

  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> result;
    if (p_) p_->QueryInterface(U::kIid, result.out());
    return result;
  }

 private:
  T* p_ = nullptr;
};

// Implements IUnknown for a class with one interface: it answers IUnknown,
// the interface itself and the listed base interfaces. Objects start with one
// reference and delete themselves when the last one goes.
template <class Interface, class... Bases>
class UnknownObject : public Interface {
 public:
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IUnknown::kIid || iid == Interface::kIid || ((iid == Bases::kIid) || ...)) {
      *object = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  UnknownObject() = default;
  virtual ~UnknownObject() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

// Answers the IDispatch methods of a contract interface for objects that
// offer no late-bound calls: they all answer E_NOTIMPL (type information
// counts none).
template <class Interface>
class WithoutLateBinding : public Interface {
 public:
  HRESULT GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(const IID&, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, const IID&, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                 UINT*) override {
    return E_NOTIMPL;
  }

 protected:
  ~WithoutLateBinding() = default;
};

// Implements IUnknown and IDispatch for a class with one contract interface
// (which derives from IDispatch). Late-bound calls are not offered.
template <class Interface>
class DispatchObject : public UnknownObject<WithoutLateBinding<Interface>, IDispatch> {
 protected:
  DispatchObject() = default;
};

}  // namespace bkvp
