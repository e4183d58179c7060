/*
 * Library entry, the module object with its attach and detach hooks, the
 * provider name and NPGetCaps.
 */
#include "netprov.h"

#include "qvcore.h"

HINSTANCE g_moduleInstance = nullptr;

namespace {

// Base of the library's module object: the entry point reaches the one
// instance through s_instance and calls its hooks.
class DllModule {
public:
    DllModule() { s_instance = this; }
    virtual ~DllModule()
    {
        if (s_instance == this)
            s_instance = nullptr;
    }
    virtual BOOL OnProcessAttach() { return TRUE; }
    virtual BOOL OnProcessDetach() { return TRUE; }

    static DllModule *s_instance;
};

DllModule *DllModule::s_instance = nullptr;

class NetProviderModule : public DllModule {
public:
    // Learns the provider's name from the router; neither status is read,
    // and a router that gives no name leaves the name empty.
    BOOL OnProcessAttach() override
    {
        try {
            HPROVIDER provider = nullptr;
            LPCSTR name = nullptr;
            NPSGetProviderHandleA(&provider);
            NPSGetProviderNameA(provider, &name);
            m_providerName.assign(name);
        } catch (...) {
            // Out of memory at attach: the name stays empty.
        }
        return TRUE;
    }

    // Also when the name service never started.
    BOOL OnProcessDetach() override
    {
        NS_Term();
        return TRUE;
    }

    TextBuffer m_providerName;
};

NetProviderModule g_module;

// The router's capability questions and this provider's answers.
struct CapabilityAnswer {
    DWORD index;
    DWORD answer;
};

const DWORD kSpecVersion = 0x00050001;
const DWORD kNetType = 0x00500000;
const DWORD kDriverVersion = 0x00010000;

const CapabilityAnswer kCapabilities[] = {
    {WNNC_SPEC_VERSION, kSpecVersion},     {WNNC_NET_TYPE, kNetType},
    {WNNC_DRIVER_VERSION, kDriverVersion}, {WNNC_DIALOG, WNNC_DLG_FORMATNETWORKNAME},
    {WNNC_ENUMERATION, WNNC_ENUM_GLOBAL},
};

} // namespace

TextBuffer &ProviderName()
{
    return g_module.m_providerName;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_moduleInstance = instance;
        if (DllModule::s_instance != nullptr)
            DllModule::s_instance->OnProcessAttach();
        break;
    case DLL_PROCESS_DETACH:
        if (DllModule::s_instance != nullptr)
            DllModule::s_instance->OnProcessDetach();
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" DWORD WINAPI NPGetCaps(DWORD nIndex)
{
    for (const CapabilityAnswer &row : kCapabilities) {
        if (row.index == nIndex)
            return row.answer;
    }
    return 0;
}
