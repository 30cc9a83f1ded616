#include "win32/xmlhttp_win.h"

#include <windows.h>
// windows.h first: oleauto.h needs its types.
#include <oleauto.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "win32/handles_win.h"

namespace varlen {
namespace {

// COM for the helper thread's lifetime.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }

 private:
  VARIANT v_;
};

bool Invoke(IDispatch* d, const wchar_t* name, WORD kind, VARIANT* args, UINT argCount,
            VARIANT* result) {
  DISPID id;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS params{args, nullptr, argCount, 0};
  return SUCCEEDED(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr));
}

Bytes FetchNow(const std::wstring& url) {
  ComApartment com;
  if (!com.ok()) return {};
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Microsoft.XMLHTTP", &clsid))) return {};
  ComPtr<IDispatch> http;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(http.out()))))
    return {};
  // "open"("GET", url, false): arguments go in reverse order.
  Variant async, address, verb;
  V_VT(async.get()) = VT_BOOL;
  V_BOOL(async.get()) = VARIANT_FALSE;
  V_VT(address.get()) = VT_BSTR;
  V_BSTR(address.get()) = SysAllocString(url.c_str());
  V_VT(verb.get()) = VT_BSTR;
  V_BSTR(verb.get()) = SysAllocString(L"GET");
  VARIANT openArgs[3] = {*async.get(), *address.get(), *verb.get()};
  if (!Invoke(http.operator->(), L"open", DISPATCH_METHOD, openArgs, 3, nullptr)) return {};
  if (!Invoke(http.operator->(), L"send", DISPATCH_METHOD, nullptr, 0, nullptr)) return {};
  Variant status;
  if (!Invoke(http.operator->(), L"status", DISPATCH_PROPERTYGET, nullptr, 0, status.get()))
    return {};
  VariantChangeType(status.get(), status.get(), 0, VT_I4);
  if (V_I4(status.get()) < 200 || V_I4(status.get()) > 299) return {};
  // The exact bytes: "responseText" decodes by the component's own rules.
  Variant body;
  if (!Invoke(http.operator->(), L"responseBody", DISPATCH_PROPERTYGET, nullptr, 0, body.get()))
    return {};
  if (V_VT(body.get()) != (VT_ARRAY | VT_UI1) || !V_ARRAY(body.get())) return {};
  SAFEARRAY* array = V_ARRAY(body.get());
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  Bytes bytes;
  void* data = nullptr;
  if (upper >= lower && SUCCEEDED(SafeArrayAccessData(array, &data))) {
    bytes.assign(static_cast<const char*>(data), static_cast<size_t>(upper - lower + 1));
    SafeArrayUnaccessData(array);
  }
  return bytes;
}

}  // namespace

Bytes XmlHttpConfigPage::FetchStartupPage(std::string_view url) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    Bytes bytes;
  };
  auto shared = std::make_shared<Shared>();
  try {
    std::thread([shared, url = Wide(url)] {
      Bytes bytes = FetchNow(url);
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->bytes = std::move(bytes);
      shared->finished = true;
      shared->done.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return {};
  }
  std::unique_lock<std::mutex> lock(shared->mutex);
  if (!shared->done.wait_for(lock, timeout_, [&] { return shared->finished; })) return {};
  return std::move(shared->bytes);
}

}  // namespace varlen
