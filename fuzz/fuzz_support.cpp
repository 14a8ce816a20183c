// fuzz_support.cpp: jail, silence, reset and the work budget for the fuzz targets.
#include "fuzz_support.h"

#include "console/output.h"
#include "core/startup.h"
#include "parse/char_class.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static void exit_hook(uint32_t) { throw FuzzExit{}; }

static void enter_jail()
{
    const char* jail = std::getenv("VREL_FUZZ_JAIL");
    if (!jail || chdir(jail) != 0 || chroot(".") != 0 || chdir("/work") != 0) {
        std::fprintf(stderr, "fuzz: these inputs may remove files; run as root with "
                             "VREL_FUZZ_JAIL naming a prepared jail (see fuzz/run.sh)\n");
        std::abort();
    }
    // The jail's /work belongs to nobody; nothing else in it can be removed from here.
    if (setgid(65534) != 0 || setuid(65534) != 0)
        std::abort();
}

void fuzz_init()
{
    static bool ready = false;
    if (ready)
        return;
    ready = true;
    enter_jail();
    int null_fd = open("/dev/null", O_RDWR);
    dup2(null_fd, 0);
    dup2(null_fd, 1);
    close(null_fd);
    char name[] = "vrel";
    char* argv[] = {name, nullptr};
    sys_init(1, argv);
    use_system_code_page();
    sys_disable_programs(true);
    sys_set_exit_hook(exit_hook);
}

ShellContext* fuzz_context()
{
    init_context(&shell_context);
    return &shell_context;
}

static void collect_name(const char* entry, void* data)
{
    std::string text(entry);
    auto* names = static_cast<std::vector<std::string>*>(data);
    names->push_back(text.substr(0, text.find('=', 1)));
}

// Empties a folder the inputs wrote into, whatever attributes they gave its entries.
static void clear_folder(const std::string& path)
{
    chmod(path.c_str(), 0700);
    DIR* folder = opendir(path.c_str());
    if (!folder)
        return;
    std::vector<std::string> names;
    while (dirent* entry = readdir(folder))
        if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
            names.push_back(path + "/" + entry->d_name);
    closedir(folder);
    for (const std::string& name : names) {
        struct stat info;
        if (lstat(name.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            clear_folder(name);
            rmdir(name.c_str());
        } else {
            unlink(name.c_str());
        }
    }
}

void fuzz_reset(ShellContext* ctx)
{
    if (ctx->pending_pipe != SYS_NO_HANDLE)
        sys_close(ctx->pending_pipe);
    ctx->pending_pipe = SYS_NO_HANDLE;
    std::vector<std::string> names;
    sys_for_each_env(collect_name, &names);
    for (const std::string& name : names)
        sys_set_env(name.c_str(), nullptr);
    sys_set_current_directory("/work");
    sys_flush_out();
    // Files left by one input would make later inputs slower and slower: nested loops over a
    // folder of thousands of files take time, rightly.
    clear_folder("/work");
}

std::string fuzz_text(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    return text.substr(0, text.find('\0'));
}

static uint32_t input_checks()
{
    const char* text = std::getenv("VREL_FUZZ_INPUT_CHECKS");
    long checks = text ? std::strtol(text, nullptr, 10) : 0;
    return checks > 0 && checks < 1000000000 ? static_cast<uint32_t>(checks) : 2000;
}

FuzzBudget::FuzzBudget()
{
    static const uint32_t checks = input_checks();
    interrupted = 0;
    check_budget = checks;
}

FuzzBudget::~FuzzBudget()
{
    check_budget = 0;
    interrupted = 0;
}
