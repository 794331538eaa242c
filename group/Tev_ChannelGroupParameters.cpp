// Channel group: the declared parameter interface and the channel that supplies it.
#include "Tev_ChannelGroup.h"

#include <new>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "SmartChannel.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"
#include "platform/Text.h"

namespace {

void CopyParameter(ParameterInterfaceInfo& to, const ParameterInterfaceInfo& from) {
    // The record may come from a file or a plug-in: read at most its 40 bytes.
    platform::CopyTextN(to.name, from.name, sizeof(from.name));
    to.typeGuid = from.typeGuid;
}

}  // namespace

Tev_Channel* Tev_ChannelGroup::GetParameterChannel(int parameter) {
    Tev_Channel* supplier = parameterChannel->GetInternalChannel();
    if (!supplier) return nullptr;
    return supplier->GetChild(parameter);
}

void Tev_ChannelGroup::SetParameterChannel(Tev_Channel* channel) { parameterChannel->SetChannel(channel); }

int Tev_ChannelGroup::GetParameterCount() { return parameterInfoList->GetItemCount(); }

ParameterInterfaceInfo Tev_ChannelGroup::GetParameterInfo(int position) {
    ParameterInterfaceInfo info;
    std::memset(&info, 0, sizeof(info));
    auto* stored = listitems::At<ParameterInterfaceInfo>(*parameterInfoList, position);
    if (stored) info = *stored;
    return info;
}

void Tev_ChannelGroup::SetParameterInfo(ParameterInterfaceInfo info, int position) {
    if (position < 0) return;
    auto* stored = listitems::At<ParameterInterfaceInfo>(*parameterInfoList, position);
    if (!stored) {
        stored = new (std::nothrow) ParameterInterfaceInfo();
        if (!stored) return;
        parameterInfoList->SetItem(stored, position);
    }
    CopyParameter(*stored, info);
}

int Tev_ChannelGroup::AddParameterInfo(ParameterInterfaceInfo info) {
    for (int i = 0; i < parameterInfoList->GetItemCount(); i++) {
        if (!parameterInfoList->GetItem(i)) {
            SetParameterInfo(info, i);
            return i;
        }
    }
    auto* stored = new (std::nothrow) ParameterInterfaceInfo();
    if (!stored) return -1;
    CopyParameter(*stored, info);
    const int position = parameterInfoList->AddItem(stored);
    if (position < 0) delete stored;
    return position;
}

void Tev_ChannelGroup::RemoveParameterInfo(int position) {
    int count = parameterInfoList->GetItemCount();
    if (position < 0 || position >= count) return;
    delete listitems::At<ParameterInterfaceInfo>(*parameterInfoList, position);
    if (position == count - 1)
        parameterInfoList->RemoveItem(position);
    else
        parameterInfoList->SetItem(nullptr, position);
    // Public calls into this pool rebuild their link positions (every group is asked).
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (ext) ext->CheckInterfaceChange(GetPoolName());
}
