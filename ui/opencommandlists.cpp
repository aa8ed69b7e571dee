#include "opencommandlists.h"
namespace {
CommandListOwner* g_showOwner = nullptr;
CommandListOwner* g_modeOwner = nullptr;
}
CommandListOwner* OpenCommandListOwner(int setCode) { return setCode == 1 ? g_showOwner : g_modeOwner; }
void SetOpenCommandListOwner(int setCode, CommandListOwner* owner)
{
    (setCode == 1 ? g_showOwner : g_modeOwner) = owner;
}
