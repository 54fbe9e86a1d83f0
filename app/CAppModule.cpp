#include "app/CAppModule.h"

#include <atomic>

namespace {
std::atomic<HINSTANCE> g_instance{nullptr};
std::atomic<HINSTANCE> g_resourceInstance{nullptr};
std::atomic<CLogSupport*> g_log{nullptr};
} // namespace

void CAppModule::Init(HINSTANCE instance)
{
    g_instance.store(instance);
}

void CAppModule::Term()
{
    g_resourceInstance.store(nullptr);
    g_log.store(nullptr);
    g_instance.store(nullptr);
}

HINSTANCE CAppModule::Instance()
{
    HINSTANCE instance = g_instance.load();
    return instance ? instance : GetModuleHandleW(nullptr);
}

HINSTANCE CAppModule::ResourceInstance()
{
    HINSTANCE module = g_resourceInstance.load();
    return module ? module : Instance();
}

HINSTANCE CAppModule::SetResourceInstance(HINSTANCE module)
{
    return g_resourceInstance.exchange(module);
}

void CAppModule::SetLog(CLogSupport* log)
{
    g_log.store(log);
}

CLogSupport* CAppModule::Log()
{
    return g_log.load();
}
