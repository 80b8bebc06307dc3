#include "pass_options.h"

#include "platform/user_interface.h"

namespace tildo {

TPassOptions TPassOptions::Read(const UserInterface& ui)
{
    TPassOptions o;
    o.Mark = ui.IsCommandChecked("Mark1");
    o.FastScroll = ui.IsCommandChecked("FastScroll1");
    o.CheckYo = ui.IsCommandChecked("CheckYo1");
    o.NoVarOnly = ui.IsCommandChecked("NoVarOnly1");
    o.VarOnly = ui.IsCommandChecked("VarOnly1");
    o.ProposeLast = ui.IsCommandChecked("ProposeLast1");
    o.FBFormat = ui.IsCommandChecked("FBFormat1");
    o.CombiWords = ui.IsCommandChecked("CombiWords1");
    o.AlwaysAsk = ui.IsCommandChecked("AlwaysAsk1");
    o.Context = ui.IsCommandChecked("Context1");
    return o;
}

} // namespace tildo
