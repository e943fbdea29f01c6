#include "uninstall/uninstall_texts.h"

namespace uninstall {

namespace {

core::u16 Fill(core::u16view pattern, core::u16view printer, core::u16view details) {
    core::u16 out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && (pattern[i + 1] == u'P' || pattern[i + 1] == u'D')) {
            out.append(pattern[i + 1] == u'P' ? printer : details);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

const char16_t* KindText(ItemKind kind, bool chinese) {
    switch (kind) {
        case ItemKind::kPrinter: return chinese ? u"打印机" : u"Printer";
        case ItemKind::kDriver: return chinese ? u"驱动程序" : u"Driver";
        case ItemKind::kPort: return chinese ? u"端口" : u"Port";
        case ItemKind::kMonitor: return chinese ? u"端口监视器" : u"Port monitor";
        case ItemKind::kService: return chinese ? u"服务" : u"Service";
        case ItemKind::kFile: return chinese ? u"文件" : u"File";
        case ItemKind::kFolder: return chinese ? u"文件夹" : u"Folder";
        case ItemKind::kRegistryKey: return chinese ? u"注册表项" : u"Registry key";
    }
    return u"";
}

ItemKind KindOf(StepKind kind) {
    switch (kind) {
        case StepKind::kDeletePrinter: return ItemKind::kPrinter;
        case StepKind::kDeleteDriver: return ItemKind::kDriver;
        case StepKind::kDeletePort: return ItemKind::kPort;
        case StepKind::kDeleteMonitor: return ItemKind::kMonitor;
        case StepKind::kDeleteService:
        case StepKind::kMoveService: return ItemKind::kService;
        case StepKind::kDeleteFile: return ItemKind::kFile;
        case StepKind::kRemoveFolder: return ItemKind::kFolder;
        case StepKind::kDeleteKey:
        case StepKind::kDeleteValue: return ItemKind::kRegistryKey;
    }
    return ItemKind::kFile;
}

}  // namespace

core::u16 Caption(bool chinese) { return chinese ? u"卸载打印机驱动程序" : u"Uninstall Printer Driver"; }

core::u16 MessageText(Message message, bool chinese, core::u16view printer, core::u16view details) {
    const char16_t* pattern = u"";
    switch (message) {
        case Message::kConfirm:
            pattern = chinese ? u"是否删除打印机“%P”、它的驱动程序以及安装的所有文件？"
                              : u"Remove the printer \"%P\", its driver and every file its installation added?";
            break;
        case Message::kRemoved:
            pattern = chinese ? u"打印机“%P”及其驱动程序已全部删除。"
                              : u"The printer \"%P\" and its driver have been removed.";
            break;
        case Message::kRestartNeeded:
            pattern = chinese ? u"打印机“%P”已删除。有些文件仍在使用中，重新启动计算机后才能完成删除。"
                              : u"The printer \"%P\" has been removed. Some files are still in use: restart the "
                                u"computer to complete the removal.";
            break;
        case Message::kNotRemoved:
            pattern = chinese ? u"打印机“%P”未能全部删除。以下部分仍保留：\n\n%D"
                              : u"The printer \"%P\" could not be removed completely. These parts remain:\n\n%D";
            break;
        case Message::kNotFound:
            pattern = chinese ? u"在此卸载程序所在的文件夹中找不到打印机驱动程序的安装。未删除任何内容。"
                              : u"No installation of the printer driver belongs to this uninstaller's folder. "
                                u"Nothing was removed.";
            break;
        case Message::kBadCommandLine:
            pattern = chinese ? u"无法识别的参数：%D\n\n用法：Uninstaller.exe [/S] [/LOG=文件]"
                              : u"Unknown argument: %D\n\nUsage: Uninstaller.exe [/S] [/LOG=FILE]";
            break;
    }
    return Fill(pattern, printer, details);
}

core::u16 NotRemovedList(const RemovalPlan& plan, const RemovalOutcome& outcome, bool chinese) {
    core::u16 out;
    const auto line = [&](ItemKind kind, const core::u16& name) {
        if (!out.empty()) out += u'\n';
        out += KindText(kind, chinese);
        out += chinese ? u"：" : u": ";
        out += name;
    };
    for (const auto& kept : plan.kept) line(kept.kind, kept.name);
    for (std::size_t i = 0; i < plan.steps.size() && i < outcome.steps.size(); ++i) {
        const StepResult r = outcome.steps[i].result;
        if (r != StepResult::kFailed && r != StepResult::kBlocked) continue;
        const Step& step = plan.steps[i];
        line(KindOf(step.kind), step.kind == StepKind::kDeleteValue ? step.detail : step.target);
    }
    return out;
}

Message ResultMessage(const RemovalOutcome& outcome) {
    if (outcome.incomplete) return Message::kNotRemoved;
    if (outcome.restartNeeded) return Message::kRestartNeeded;
    return Message::kRemoved;
}

}  // namespace uninstall
