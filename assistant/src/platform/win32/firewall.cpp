#include "platform/firewall.h"

#include "com_session.h"
#include "win32_text.h"

#include <windows.h>
#include <netfw.h>
#include <oleauto.h>

namespace platform {
namespace {

// {E2B3C97F-6AE1-41AC-817A-F6F92166D7DD}
const CLSID kNetFwPolicy2 = {0xE2B3C97F, 0x6AE1, 0x41AC, {0x81, 0x7A, 0xF6, 0xF9, 0x21, 0x66, 0xD7, 0xDD}};
const NET_FW_PROFILE_TYPE2 kProfiles[] = {NET_FW_PROFILE2_DOMAIN, NET_FW_PROFILE2_PRIVATE, NET_FW_PROFILE2_PUBLIC};

// An answer that says only why the firewall could not be read.
FirewallState unread(const char *what, HRESULT hr)
{
    FirewallState state;
    state.error = win32::errorText(what, static_cast<DWORD>(hr));
    return state;
}

// The rule when it is an enabled inbound allow rule of a profile in `profiles`.
bool readRule(INetFwRule *rule, long profiles, FirewallRule &out)
{
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_OUT;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    NET_FW_ACTION action = NET_FW_ACTION_BLOCK;
    long ruleProfiles = 0;
    if (FAILED(rule->get_Direction(&direction)) || direction != NET_FW_RULE_DIR_IN)
        return false;
    if (FAILED(rule->get_Enabled(&enabled)) || enabled != VARIANT_TRUE)
        return false;
    if (FAILED(rule->get_Action(&action)) || action != NET_FW_ACTION_ALLOW)
        return false;
    if (SUCCEEDED(rule->get_Profiles(&ruleProfiles)) && !(ruleProfiles & profiles))
        return false;
    win32::Bstr name, application, ports;
    if (SUCCEEDED(rule->get_Name(name.put())))
        out.name = win32::narrow(name.text());
    if (SUCCEEDED(rule->get_ApplicationName(application.put())))
        out.application = win32::narrow(application.text());
    long protocol = 256;
    if (SUCCEEDED(rule->get_Protocol(&protocol)))
        out.protocol = static_cast<int>(protocol);
    if (SUCCEEDED(rule->get_LocalPorts(ports.put())))
        out.localPorts = win32::narrow(ports.text());
    return true;
}

} // namespace

FirewallState firewallState()
{
    FirewallState state;
    win32::ComSession com;
    if (!com.ok()) {
        state.error = "COM could not be initialised";
        return state;
    }
    win32::ComPtr<INetFwPolicy2> policy;
    HRESULT hr = CoCreateInstance(kNetFwPolicy2, nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwPolicy2),
                                  reinterpret_cast<void **>(policy.put()));
    if (FAILED(hr) || !policy)
        return unread("NetFwPolicy2", hr);
    long current = 0;
    hr = policy->get_CurrentProfileTypes(&current);
    if (FAILED(hr))
        return unread("CurrentProfileTypes", hr);
    for (NET_FW_PROFILE_TYPE2 profile : kProfiles) {
        if (!(current & profile))
            continue;
        VARIANT_BOOL on = VARIANT_FALSE;
        hr = policy->get_FirewallEnabled(profile, &on);
        if (FAILED(hr))
            return unread("FirewallEnabled", hr);
        if (on != VARIANT_TRUE)
            continue;
        state.filtersInbound = true;
        VARIANT_BOOL blockAll = VARIANT_FALSE;
        if (SUCCEEDED(policy->get_BlockAllInboundTraffic(profile, &blockAll)) && blockAll == VARIANT_TRUE)
            state.blocksAllInbound = true;
    }

    win32::ComPtr<INetFwRules> rules;
    hr = policy->get_Rules(rules.put());
    if (FAILED(hr) || !rules)
        return unread("Rules", hr);
    win32::ComPtr<IUnknown> enumerator;
    hr = rules->get__NewEnum(enumerator.put());
    win32::ComPtr<IEnumVARIANT> items;
    if (FAILED(hr) || !enumerator
        || FAILED(enumerator->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void **>(items.put()))))
        return unread("Rules enumeration", hr);
    for (;;) {
        VARIANT item;
        VariantInit(&item);
        ULONG fetched = 0;
        if (items->Next(1, &item, &fetched) != S_OK || fetched == 0)
            break;
        if (item.vt == VT_DISPATCH && item.pdispVal) {
            win32::ComPtr<INetFwRule> rule;
            if (SUCCEEDED(item.pdispVal->QueryInterface(__uuidof(INetFwRule), reinterpret_cast<void **>(rule.put())))) {
                FirewallRule r;
                if (readRule(rule.get(), current, r))
                    state.allowRules.push_back(r);
            }
        }
        VariantClear(&item);
    }
    state.known = true;
    return state;
}

} // namespace platform
