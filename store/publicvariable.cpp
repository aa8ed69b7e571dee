#include "publicvariable.h"

#include "inifile.h"

PublicVariables::PublicVariables() = default;
PublicVariables::~PublicVariables() = default;

namespace {
std::unique_ptr<PublicVariables>& holder()
{
    static std::unique_ptr<PublicVariables> state = std::make_unique<PublicVariables>();
    return state;
}
} // namespace

PublicVariables& mPublicVariable()
{
    return *holder();
}

void ResetPublicVariables()
{
    holder() = std::make_unique<PublicVariables>();
}
