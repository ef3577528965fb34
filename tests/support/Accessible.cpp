#include "support/Accessible.h"

namespace tsbtest {

namespace {

std::wstring Take(BSTR s) {
    std::wstring out = s ? std::wstring(s, SysStringLen(s)) : std::wstring();
    SysFreeString(s);
    return out;
}

}  // namespace

ReadOut Read(HWND w, IAccessible** keep) {
    ReadOut r;
    IAccessible* acc = nullptr;
    r.found = AccessibleObjectFromWindow(w, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                         reinterpret_cast<void**>(&acc));
    if (FAILED(r.found) || !acc) return r;
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT v;
    if (acc->get_accRole(self, &v) == S_OK) r.role = v.lVal;
    if (acc->get_accState(self, &v) == S_OK) r.state = v.lVal;
    BSTR s = nullptr;
    if (acc->get_accName(self, &s) == S_OK) r.name = Take(s);
    if (acc->get_accDescription(self, &s) == S_OK) r.description = Take(s);
    if (acc->get_accDefaultAction(self, &s) == S_OK) r.action = Take(s);
    if (keep) *keep = acc;
    else acc->Release();
    return r;
}

}  // namespace tsbtest
