// The main window's accelerator table and the names of its keys.
#include "ui/MainKeys.h"

#include <algorithm>
#include <iterator>

#include "core/UiText.h"
#include "res/resource.h"

namespace {
const ACCEL kKeys[] = {
    {FVIRTKEY | FCONTROL, 'S', IDC_SAVE},
    {FVIRTKEY | FCONTROL | FSHIFT, 'S', IDC_SAVE_AS},
    {FVIRTKEY | FCONTROL, 'O', IDC_LOAD},
    {FVIRTKEY | FCONTROL, 'P', IDC_PRINT},
    {FVIRTKEY | FCONTROL | FSHIFT, 'P', IDC_PRINT_PREVIEW},
    {FVIRTKEY, VK_F5, IDC_START},
    {FVIRTKEY | FCONTROL, 'F', ID_FIND},
    {FVIRTKEY, VK_F3, ID_FIND_NEXT},
    {FVIRTKEY | FSHIFT, VK_F3, ID_FIND_PREVIOUS},
};
}  // namespace

CMainKeys::~CMainKeys()
{
    if (m_hTable)
        ::DestroyAcceleratorTable(m_hTable);
}

HACCEL CMainKeys::Table()
{
    if (!m_hTable) {
        ACCEL keys[std::size(kKeys)];
        std::copy(std::begin(kKeys), std::end(kKeys), keys);
        m_hTable = ::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys)));
    }
    return m_hTable;
}

std::string CMainKeys::KeyName(UINT command, const UiTextTable& texts)
{
    for (const ACCEL& k : kKeys) {
        if (k.cmd != command)
            continue;
        std::string name;
        if (k.fVirt & FCONTROL)
            name += texts[TXT_KEY_CTRL];
        if (k.fVirt & FSHIFT)
            name += texts[TXT_KEY_SHIFT];
        if (k.key >= VK_F1 && k.key <= VK_F24)
            name += "F" + std::to_string(k.key - VK_F1 + 1);
        else
            name += static_cast<char>(k.key);
        return name;
    }
    return std::string();
}
