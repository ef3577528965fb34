#include "controls/ButtonAccessible.h"

#include <oleacc.h>

#include <atomic>
#include <string>

#include "controls/ColorButton.h"
#include "framework/core/Text.h"
#include "framework/win/Convert.h"

namespace tsb {

namespace {

BSTR ToBstr(const std::wstring& s) { return ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

// The caption as read aloud: the ampersand that marks a mnemonic is not spoken.
std::wstring SpokenCaption(const TColorButton& b) {
    std::wstring text = b.CaptionW().empty() ? AnsiToWide(b.Caption()) : b.CaptionW();
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

class TButtonAccessible final : public IAccessible {
public:
    explicit TButtonAccessible(HWND hwnd) : hwnd_(hwnd) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: not offered; clients use the interface's own methods.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        if (!Button()) return RPC_E_DISCONNECTED;
        return ::CreateStdAccessibleObject(hwnd_, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (child) *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Text(child, name, [](const TColorButton& b) { return SpokenCaption(b); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Text(child, value, [](const TColorButton&) { return std::wstring(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Text(child, text, [](const TColorButton& b) { return AnsiToWide(b.Hint()); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        ::VariantInit(role);
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        ::VariantInit(state);
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        const TColorButton* b = Button();
        long s = STATE_SYSTEM_FOCUSABLE;
        if (::GetFocus() == hwnd_) s |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowEnabled(hwnd_)) s |= STATE_SYSTEM_UNAVAILABLE;
        if (!::IsWindowVisible(hwnd_)) s |= STATE_SYSTEM_INVISIBLE;
        if (b->State() == bstDown) s |= STATE_SYSTEM_PRESSED;
        state->vt = VT_I4;
        state->lVal = s;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* help) override {
        if (help) *help = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Text(child, keys, [](const TColorButton& b) {
            char key = MnemonicOf(b.Caption());
            return key ? L"Alt+" + std::wstring(1, static_cast<wchar_t>(static_cast<unsigned char>(key)))
                       : std::wstring();
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        ::VariantInit(focus);
        if (!Button()) return RPC_E_DISCONNECTED;
        if (::GetFocus() != hwnd_) return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection) ::VariantInit(selection);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Text(child, action, [](const TColorButton&) { return std::wstring(L"Press"); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        if (!(flags & SELFLAG_TAKEFOCUS)) return E_NOTIMPL;
        ::SetFocus(hwnd_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        RECT r;
        ::GetWindowRect(hwnd_, &r);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
        if (end) ::VariantInit(end);
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        if (!hit) return E_POINTER;
        ::VariantInit(hit);
        if (!Button()) return RPC_E_DISCONNECTED;
        RECT r;
        ::GetWindowRect(hwnd_, &r);
        if (!::PtInRect(&r, POINT{x, y})) return S_FALSE;
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        return S_OK;
    }
    // Posted: the click may start a program and wait, and the caller (another process, often)
    // must not wait with it.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        if (!::IsWindowEnabled(hwnd_)) return E_FAIL;
        ::PostMessageW(hwnd_, BM_CLICK, 0, 0);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    const TColorButton* Button() const {
        return ::IsWindow(hwnd_) ? dynamic_cast<const TColorButton*>(TControl::FromHandle(hwnd_)) : nullptr;
    }
    HRESULT Check(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal != CHILDID_SELF) return E_INVALIDARG;
        return Button() ? S_OK : RPC_E_DISCONNECTED;
    }
    template <class Get>
    HRESULT Text(const VARIANT& child, BSTR* out, Get get) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (HRESULT hr = Check(child); hr != S_OK) return hr;
        std::wstring text = get(*Button());
        if (text.empty()) return S_FALSE;
        *out = ToBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HWND hwnd_;
    std::atomic<ULONG> refs_{1};
};

}  // namespace

LRESULT ButtonAccessibleObject(HWND button, WPARAM wp) {
    auto* object = new TButtonAccessible(button);
    LRESULT result = ::LresultFromObject(IID_IAccessible, wp, object);
    object->Release();  // the result holds its own reference
    return result;
}

}  // namespace tsb
