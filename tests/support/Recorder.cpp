#include "support/Recorder.h"

#include <algorithm>
#include <cctype>

namespace testing_support {

void Recorder::Execute(toolkit::WindowHandle owner, const std::string& verb,
                       const std::string& file, const std::string& parameters,
                       const std::string& directory, int showCmd) {
    Calls.push_back({"execute", owner, {verb, file, parameters, directory}, showCmd});
}

toolkit::ExecuteOutcome Recorder::TryExecute(toolkit::WindowHandle owner, const std::string& verb,
                                             const std::string& file, const std::string& parameters,
                                             const std::string& directory, int showCmd) {
    Calls.push_back({"tryexecute", owner, {verb, file, parameters, directory}, showCmd});
    if (TryExecuteAnswers.empty())
        return toolkit::ExecuteOutcome::Started;
    const toolkit::ExecuteOutcome answer = TryExecuteAnswers.front();
    TryExecuteAnswers.pop_front();
    return answer;
}

bool Recorder::PathExists(const std::string& path) {
    return std::find(ExistingPaths.begin(), ExistingPaths.end(), path) != ExistingPaths.end();
}

std::string Recorder::RegisteredProgram(const std::string& name) {
    const auto found = RegisteredPrograms.find(name);
    return found == RegisteredPrograms.end() ? std::string() : found->second;
}

std::string Recorder::ClipboardText() {
    Calls.push_back({"clipboard", nullptr, {}, 0});
    return Clipboard;
}

void Recorder::Beep(unsigned type) {
    Calls.push_back({"beep", nullptr, {}, type});
}

int Recorder::ShowMessageBox(toolkit::WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned flags) {
    Calls.push_back({"messagebox", owner, {text, caption}, flags});
    if (MessageBoxAnswers.empty())
        return 1;
    const int answer = MessageBoxAnswers.front();
    MessageBoxAnswers.pop_front();
    return answer;
}

namespace {
bool Answer(std::deque<std::string>& queue, std::string& chosen) {
    if (queue.empty())
        return false;
    chosen = queue.front();
    queue.pop_front();
    return !chosen.empty();
}
} // namespace

bool Recorder::ChooseFile(const toolkit::FileDialogRequest& request, std::string& chosen) {
    Calls.push_back({"choosefile",
                     request.Owner,
                     {request.Title, request.FileName},
                     static_cast<long long>(request.Flags)});
    FileRequests.push_back(request);
    return Answer(ChosenFiles, chosen);
}

bool Recorder::ChooseFolder(const toolkit::FolderDialogRequest& request, std::string& chosen) {
    Calls.push_back({"choosefolder", request.Owner, {request.Title, request.StartFolder}, 0});
    FolderRequests.push_back(request);
    return Answer(ChosenFolders, chosen);
}

std::string Recorder::ModuleFileName() {
    Calls.push_back({"module", nullptr, {}, 0});
    return ModulePath;
}

std::string Recorder::ExpandEnvironment(const std::string& text) {
    Expansions.push_back(text);
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            out.append(text, pos);
            break;
        }
        out.append(text, pos, open - pos);
        std::string name = text.substr(open + 1, close - open - 1);
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const auto value = Environment.find(name);
        if (!name.empty() && value != Environment.end()) {
            out += value->second;
            pos = close + 1;
        } else {
            // Not defined: kept as written, and its closing sign may open the next name.
            out.append(text, open, close - open);
            pos = close;
        }
    }
    return out;
}

std::vector<std::string> Recorder::Lines() const {
    std::vector<std::string> lines;
    for (const auto& call : Calls) {
        std::string line = call.What;
        if (call.What == "execute" || call.What == "tryexecute" || call.What == "messagebox") {
            line += ' ';
            for (const auto& arg : call.Args)
                line += arg + '|';
            line += std::to_string(call.Number);
        } else if (call.What == "beep") {
            line += ' ' + std::to_string(call.Number);
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<RecordedCall> Recorder::Only(const std::string& what) const {
    std::vector<RecordedCall> out;
    for (const auto& call : Calls)
        if (call.What == what)
            out.push_back(call);
    return out;
}

} // namespace testing_support
