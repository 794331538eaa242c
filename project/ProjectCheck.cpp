// The project check: the project file through the loader's check mode, then the groups a
// run would load, each loaded for real (without frames) so that every failure is the one a
// run would meet, in the kernel's own words.
#include "project/ProjectCheck.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelList.h"
#include "ChannelRecords.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "PluginChannels.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "format/FileNames.h"
#include "foundation/ExceptionBoundary.h"
#include "foundation/InstallLayout.h"
#include "foundation/ListItems.h"
#include "platform/Files.h"
#include "project/ProjectGroupWalk.h"
#include "project/ProjectLoader.h"
#include "project/ProjectReport.h"

namespace projectcheck {
namespace {

const char* const kCheckStopped = "TevCheckProject: the check stopped:";
const char* const kNeedsRestoredTypes =
    "uses channel types whose plug-ins a run restores first; it can be checked once they are in place";

// The first GUID the kernel's text names (registry form, no braces), in GuidText form; "" when none.
std::string FirstGuid(const std::string& text) {
    const char* const shape = "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";
    const size_t length = std::strlen(shape);
    for (size_t at = 0; at + length <= text.size(); at++) {
        size_t i = 0;
        while (i < length && (shape[i] == '-' ? text[at + i] == '-'
                                              : std::isxdigit(static_cast<unsigned char>(text[at + i]))))
            i++;
        if (i == length) return "{" + text.substr(at, length) + "}";
    }
    return "";
}

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

// "group file: call name", the index standing in for a missing name.
std::string CallName(Tev_ChannelGroup* group, Tev_Channel* call) {
    const char* file = group ? group->GetChannelGroupFileName() : nullptr;
    const char* name = call->GetChannelName();
    return std::string(file ? file : "") + ": " +
           (name && name[0] ? std::string(name) : "channel " + std::to_string(call->GetChannelIDIndexNr()));
}

class Checker : public GroupWalkVisitor {
public:
    Checker(EngineInterface* engine, ProjectReport& report) : engine(engine), report(report) {}

    void Run(const char* path);
    void Visit(const WalkStep& step) override;

private:
    void CheckStartGroup(const WalkStep& step);
    void CheckLoadingCall(const WalkStep& step);
    void CheckWaitingCall(Tev_Channel* call);
    void CheckChannelTypes();
    bool AcceptsTarget(Tev_Channel* call, Tev_Channel* target);
    int GroupFailureVerdict(const std::string& reason);
    std::string GroupFailureReason(const std::string& reason);
    const std::string& ModulesThatDoNotLoad();
    std::string GroupDetail(Tev_ChannelGroup* group);

    EngineInterface* engine;
    ProjectReport& report;
    std::vector<Tev_ChannelGroup*> groups;  // loaded by the check, in load order
    bool modulesTried = false;
    std::string brokenModules;  // "; NAME in channels/ does not load: REASON" per module
};

void Checker::Run(const char* path) {
    ProjectLoader loader(engine);
    // A project a load refuses has no groups a run would reach.
    if (loader.CheckProjectFile(path, report) != TEV_LOADER_OK) return;
    groups = WalkProjectGroups(engine, loader.GetStartGroupPath(), *this);
    CheckChannelTypes();
}

void Checker::Visit(const WalkStep& step) {
    switch (step.kind) {
        case WalkStep::kStartGroup:
            return CheckStartGroup(step);
        case WalkStep::kLoadingCall:
            return CheckLoadingCall(step);
        case WalkStep::kWaitingCall:
            return CheckWaitingCall(step.call);
    }
}

// A group that fails only for a channel type whose plug-in a run restores first cannot be
// judged before that restore; any other failure is one a run meets as well.
int Checker::GroupFailureVerdict(const std::string& reason) {
    for (const std::string& type : report.RestoredTypes()) {
        // Messages name a type without braces.
        if (reason.find(type.substr(1, type.size() - 2)) != std::string::npos) return TEV_CHECK_RESTORE;
    }
    return TEV_CHECK_FAILED;
}

// A group that fails for a channel type no installed plug-in makes: the kernel's text says
// only that the group is newer than the engine. Named here: the type, the module the project
// expects to make it, and the modules of channels/ that do not load, with the loader's reason
// (a library of their own missing from 3rd/, most often).
std::string Checker::GroupFailureReason(const std::string& reason) {
    const std::string guid = FirstGuid(reason);
    if (guid.empty()) return reason;
    std::string why = "no plug-in installed here makes channel type " + guid;
    if (!report.Lists(guid))
        why += "; the project does not list the type";
    else if (report.ModuleOf(guid).empty())
        why += "; the project lists the type without naming its module";
    else
        why += "; the project expects " + report.ModuleOf(guid) + " to make it";
    return why + ModulesThatDoNotLoad() + "; the kernel says: " + reason;
}

const std::string& Checker::ModulesThatDoNotLoad() {
    if (modulesTried) return brokenModules;
    modulesTried = true;
    const std::string dir = installlayout::Path(engine->GetInstallDir(), installlayout::kChannelsDir);
    std::vector<std::string> names;
    if (!platform::ListDirectory(platform::ToNativePath(dir.c_str()).c_str(), names)) return brokenModules;
    for (const std::string& name : names) {
        if (!filenames::HasExtension(name.c_str(), filenames::kModuleExtension)) continue;
        const std::string path =
            installlayout::Path(engine->GetInstallDir(), installlayout::kChannelsDir, name.c_str());
        MessageCapture capture;
        if (IsNullGuid(engine->engineInterfaceExt->GetDLLType(path.c_str()).typeGuid))
            brokenModules += "; " + name + " in channels/ does not load: " + capture.Text();
    }
    return brokenModules;
}

std::string Checker::GroupDetail(Tev_ChannelGroup* group) {
    int channels = 0;
    for (int i = 0; i < group->GetChannelCount(); i++)
        if (group->GetChannel(i)) channels++;
    const char* pool = group->GetPoolName();
    return "pool \"" + std::string(pool ? pool : "") + "\", " + std::to_string(channels) + " channel" +
           (channels == 1 ? "" : "s");
}

void Checker::CheckStartGroup(const WalkStep& step) {
    const std::string& path = step.path;
    if (step.group) {
        report.Add(TEV_CHECK_GROUP, TEV_CHECK_OK, path, path, "start group, " + GroupDetail(step.group), "");
        return;
    }
    const int verdict = GroupFailureVerdict(step.reason);
    report.Add(TEV_CHECK_GROUP, verdict, path, path, "start group",
               verdict == TEV_CHECK_RESTORE ? kNeedsRestoredTypes : GroupFailureReason(step.reason));
}

// The base types must agree, as they must for a run to hand the target out.
bool Checker::AcceptsTarget(Tev_Channel* call, Tev_Channel* target) {
    return target && target->GetChannelType().baseGuid == call->GetChannelType().baseGuid;
}

void Checker::CheckLoadingCall(const WalkStep& step) {
    Tev_Channel* call = step.call;
    PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
    const std::string pool = Field(info.poolName, sizeof(info.poolName));
    const std::string channelName = Field(info.channelName, sizeof(info.channelName));
    const std::string name = CallName(call->GetChannelGroup(), call);
    const std::string& path = step.path;
    std::string detail = "channel \"" + channelName + "\" of pool \"" + pool + "\"";
    detail += info.autoLoadGroup ? ", loaded at once from " : ", loaded in the background from ";
    detail += path;

    if (!step.group) {
        const int verdict = GroupFailureVerdict(step.reason);
        report.Add(TEV_CHECK_PUBLIC_CALL, verdict, name, path, detail,
                   verdict == TEV_CHECK_RESTORE
                       ? kNeedsRestoredTypes
                       : "the target group does not load: " + GroupFailureReason(step.reason));
        return;
    }
    detail += step.loadedBefore ? " (already loaded)" : " (" + GroupDetail(step.group) + ")";
    Tev_Channel* target = engine->engineInterfaceExt->GetPublicChannel(&info);
    if (AcceptsTarget(call, target))
        report.Add(TEV_CHECK_PUBLIC_CALL, TEV_CHECK_OK, name, path, detail, "");
    else
        report.Add(TEV_CHECK_PUBLIC_CALL, TEV_CHECK_FAILED, name, path, detail,
                   target ? "the public channel's base type differs from the call's"
                          : "the target group has no public channel of that name");
}

// Calls that wait for their group are judged once every loading call has loaded its own.
void Checker::CheckWaitingCall(Tev_Channel* call) {
    PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
    const std::string name = CallName(call->GetChannelGroup(), call);
    const std::string pool = Field(info.poolName, sizeof(info.poolName));
    const std::string detail = "channel \"" + Field(info.channelName, sizeof(info.channelName)) + "\" of pool \"" +
                               pool + "\" number " + std::to_string(info.requestedPublicChannelNr) +
                               ", waits for the group";
    Tev_Channel* target = engine->engineInterfaceExt->GetPublicChannel(&info);
    if (AcceptsTarget(call, target))
        report.Add(TEV_CHECK_PUBLIC_CALL, TEV_CHECK_OK, name, "", detail, "");
    else
        report.Add(TEV_CHECK_PUBLIC_CALL, TEV_CHECK_FAILED, name, "", detail,
                   target ? "the public channel's base type differs from the call's"
                          : "no group the project loads offers it, and the call loads nothing itself");
}

// Every type the loaded channels need (their own, their bases, what they declare), and the
// DLLs they declare, which must sit in 3rd/.
void Checker::CheckChannelTypes() {
    listitems::Owning<ChannelDependency> dependencies;
    for (Tev_ChannelGroup* group : groups)
        for (int i = 0; i < group->GetChannelCount(); i++)
            if (Tev_Channel* channel = group->GetChannel(i))
                channelInternal.GetChannelDepenency(channel, &dependencies.List());

    ChannelList* list = engine->engineInterfaceExt->GetChannelList();
    std::vector<std::string> dlls;
    for (int i = 0; i < dependencies.Count(); i++) {
        ChannelDependency* dependency = dependencies[i];
        if (!dependency) continue;
        const ChannelType type = list ? list->GetChannelType(dependency->channelTypeGuid) : ChannelType();
        ChannelListItem* item = list ? list->GetItem(dependency->channelTypeGuid) : nullptr;
        const std::string guid = GuidText(dependency->channelTypeGuid);
        std::string detail = "type " + guid + ", version " + VersionText(type.versionInfo);
        if (!report.Lists(guid)) detail += ", not listed in the project";
        report.Add(TEV_CHECK_CHANNEL_TYPE, TEV_CHECK_OK, type.typeName[0] ? type.typeName : guid,
                   item && item->fileName.GetString() ? item->fileName.GetString() : "", detail, "");
        for (int d = 0; d < dependency->dllNames.GetItemCount(); d++) {
            auto* dllName = static_cast<Tev_String*>(dependency->dllNames.GetItem(d));
            const char* text = dllName ? dllName->GetString() : nullptr;
            if (!text || !text[0]) continue;
            bool seen = false;
            for (const std::string& known : dlls) seen = seen || known == text;
            if (seen) continue;
            dlls.push_back(text);
            const std::string path = installlayout::Path(engine->GetInstallDir(), installlayout::kThirdPartyDir, text);
            const bool present = platform::FileExists(path.c_str());
            report.Add(TEV_CHECK_DEPENDENCY, present ? TEV_CHECK_OK : TEV_CHECK_FAILED, text, path,
                       "needed by " + std::string(type.typeName[0] ? type.typeName : guid),
                       present ? "" : "missing from 3rd/");
        }
    }
}

}  // namespace

int CheckProject(EngineInterface* engine, const char* path, ProjectReport& report) {
    EngineInterfaceExt* ext = engine->engineInterfaceExt;
    ext->ReleaseGroups();
    Checker(engine, report).Run(path);
    ext->ReleaseGroups();
    return report.Worst();
}

}  // namespace projectcheck

extern "C" TARNWELL_API int TevCheckProject(EngineControl* control, const char* projectPath, TevCheckHandler handler,
                                            void* context) {
    EngineInterface* engine = control ? control->GetEngineInterface() : nullptr;
    if (!engine || !projectPath) return -1;
    return boundary::Guard(engine, projectcheck::kCheckStopped, -1, [&] {
        ProjectReport report(handler, context);
        return projectcheck::CheckProject(engine, projectPath, report);
    });
}
