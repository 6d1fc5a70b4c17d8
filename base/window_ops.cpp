#include "base/window_ops.h"

namespace vexo {

const char* ControlName(Control control)
{
    switch (control) {
    case Control::Button2: return "Button2";
    case Control::Add: return "Add";
    case Control::Delet: return "Delet";
    case Control::Delone: return "Delone";
    case Control::Proced: return "Proced";
    case Control::Button1: return "Button1";
    case Control::Button8: return "Button8";
    case Control::AutoJoin: return "auto";
    case Control::AutoDelete: return "AutoDelete";
    case Control::Autoopen: return "Autoopen";
    case Control::TFolder: return "TFolder";
    case Control::List: return "List";
    case Control::ProgressBar1: return "ProgressBar1";
    case Control::ProgressBar2: return "ProgressBar2";
    case Control::GetList: return "GetList";
    case Control::Settings: return "Settings";
    case Control::AutoO: return "AutoO";
    case Control::Aosec: return "aosec";
    case Control::Filenamedown: return "filenamedown";
    case Control::Statusdown: return "Statusdown";
    case Control::ProgressBar3: return "ProgressBar3";
    case Control::TabSheet4: return "TabSheet4";
    case Control::Urlstr: return "Urlstr";
    case Control::Delete1: return "Delete1";
    case Control::Realnam: return "realnam";
    case Control::Sizef: return "Sizef";
    case Control::Key: return "Key";
    case Control::N4: return "N4";
    }
    return "";
}

} // namespace vexo
