#include "timeprov/FirewallRule_win32.h"

// The firewall's class and interface identifiers are defined here, their one user.
#include <initguid.h>
#include <netfw.h>

namespace {

const wchar_t kRuleName[] = L"Horalux: Windows Time NTP server (UDP 123 in)";

template <class T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (p_) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Put() { return &p_; }
    void** PutVoid() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

HRESULT OpenRules(Com<INetFwRules>& rules) {
    Com<INetFwPolicy2> policy;
    const HRESULT hr =
        CoCreateInstance(CLSID_NetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwPolicy2, policy.PutVoid());
    return FAILED(hr) ? hr : policy->get_Rules(rules.Put());
}

}  // namespace

HRESULT AddNtpFirewallRule() {
    Com<INetFwRules> rules;
    HRESULT hr = OpenRules(rules);
    const Bstr name(kRuleName), ports(L"123"),
        description(L"Lets the PCs of the LAN set their clocks from this PC, which Horalux keeps to a GPS clock.");
    Com<INetFwRule> rule;
    if (SUCCEEDED(hr) && rules->Item(name, rule.Put()) == S_OK) return S_FALSE;
    if (SUCCEEDED(hr)) hr = CoCreateInstance(CLSID_NetFwRule, nullptr, CLSCTX_INPROC_SERVER, IID_INetFwRule, rule.PutVoid());
    if (SUCCEEDED(hr)) hr = rule->put_Name(name);
    if (SUCCEEDED(hr)) hr = rule->put_Description(description);
    if (SUCCEEDED(hr)) hr = rule->put_Protocol(NET_FW_IP_PROTOCOL_UDP);
    if (SUCCEEDED(hr)) hr = rule->put_LocalPorts(ports);
    if (SUCCEEDED(hr)) hr = rule->put_Direction(NET_FW_RULE_DIR_IN);
    if (SUCCEEDED(hr)) hr = rule->put_Action(NET_FW_ACTION_ALLOW);
    if (SUCCEEDED(hr)) hr = rule->put_Enabled(VARIANT_TRUE);
    return SUCCEEDED(hr) ? rules->Add(rule.Get()) : hr;
}

HRESULT RemoveNtpFirewallRule() {
    Com<INetFwRules> rules;
    const HRESULT hr = OpenRules(rules);
    return FAILED(hr) ? hr : rules->Remove(Bstr(kRuleName));
}
