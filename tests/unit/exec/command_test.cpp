// Tests of the command splitter and of starting programs with their redirections and pipes.
#include "exec/command.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

struct Command {
    ShellContext ctx{};
    char* argv[16];
    char** rest = nullptr;
    char** first = nullptr;
    bool operators[16] = {};
    Command() { ctx.pending_pipe = SYS_NO_HANDLE; }
    // Takes the first command; a word that begins with an operator byte is an operator, as
    // when typed, unless its index is among those that came from quotes or expansions.
    void take(WordList& words, std::initializer_list<size_t> from_data = {})
    {
        first = words.words();
        for (size_t i = 0; first[i]; ++i)
            operators[i] = std::strchr("<>|&;", first[i][0]) != nullptr;
        for (size_t i : from_data)
            operators[i] = false;
        rest = next_command(argv, first, operators, &ctx);
    }
    void take_next() { rest = next_command(argv, rest, operators + (rest - first), &ctx); }
    std::vector<std::string> args() const
    {
        std::vector<std::string> out;
        for (char* const* a = argv; *a; ++a)
            out.emplace_back(*a);
        return out;
    }
};

using Args = std::vector<std::string>;

std::string text_or_null(const char* p) { return p ? p : "(null)"; }

} // namespace

TEST(NextCommand, SemicolonEndsTheCommand)
{
    WordList words{"a", "b", ";", "c"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"a", "b"}));
    EXPECT_STREQ(*c.rest, "c");
    EXPECT_EQ(c.ctx.redir_flags, 0u);
    EXPECT_EQ(c.ctx.options & (OPT_NOWAIT | OPT_PIPE), 0u);
}

TEST(NextCommand, EmptyListGivesEmptyCommandAtTheTerminator)
{
    WordList words{};
    Command c;
    c.take(words);
    EXPECT_EQ(c.argv[0], nullptr);
    EXPECT_EQ(c.rest, words.words());
}

TEST(NextCommand, AmpersandSetsNoWaitOnly)
{
    WordList words{"prog", "&", "next"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"prog"}));
    EXPECT_EQ(c.ctx.options & (OPT_NOWAIT | OPT_PIPE), OPT_NOWAIT);
    EXPECT_EQ(c.ctx.redir_flags, 0u);
    EXPECT_STREQ(*c.rest, "next");
}

TEST(NextCommand, BarSetsPipeNoWaitAndAny)
{
    WordList words{"a", "|", "b"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.ctx.options & (OPT_NOWAIT | OPT_PIPE), OPT_NOWAIT | OPT_PIPE);
    EXPECT_EQ(c.ctx.redir_flags, REDIR_ANY);
    EXPECT_STREQ(*c.rest, "b");
}

TEST(NextCommand, SeparatorWordsActByTheirFirstByteAlone)
{
    // "|>e" and ";>" separate; the rest of the word is ignored.
    WordList words{"a", "|>e", "b", ";>", "c", "&>e", "d", "x;"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"a"}));
    EXPECT_TRUE(c.ctx.options & OPT_PIPE);
    c.take_next();
    EXPECT_EQ(c.args(), (Args{"b"}));
    c.take_next();
    EXPECT_EQ(c.args(), (Args{"c"}));
    EXPECT_EQ(c.ctx.options & (OPT_NOWAIT | OPT_PIPE), OPT_NOWAIT);
    c.take_next();
    EXPECT_EQ(c.args(), (Args{"d", "x;"}));
    EXPECT_EQ(*c.rest, nullptr);
}

TEST(NextCommand, WordsFromQuotesOrExpansionsAreDataWhateverTheirBytes)
{
    WordList words{"echo", ";", "|", "&x", "<f", ">victim", ">>e", "<>", "x", ">", "out"};
    Command c;
    c.take(words, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(c.args(), (Args{"echo", ";", "|", "&x", "<f", ">victim", ">>e", "<>", "x"}));
    EXPECT_EQ(c.ctx.in_path, nullptr);
    EXPECT_STREQ(c.ctx.out_path, "out");
    EXPECT_EQ(c.ctx.err_path, nullptr);
    EXPECT_EQ(c.ctx.redir_flags, REDIR_ANY);
    EXPECT_EQ(c.ctx.options & (OPT_NOWAIT | OPT_PIPE), 0u);
    EXPECT_EQ(*c.rest, nullptr);
}

TEST(NextCommand, ClearsPerCommandStateButKeepsOtherOptions)
{
    WordList words{"a"};
    Command c;
    char stale[] = "stale";
    c.ctx.in_path = c.ctx.out_path = c.ctx.err_path = stale;
    c.ctx.redir_flags = REDIR_ANY | REDIR_APPEND;
    c.ctx.options = OPT_NOWAIT | OPT_PIPE | OPT_ECHO | OPT_TRACE;
    c.take(words);
    EXPECT_EQ(c.ctx.in_path, nullptr);
    EXPECT_EQ(c.ctx.out_path, nullptr);
    EXPECT_EQ(c.ctx.err_path, nullptr);
    EXPECT_EQ(c.ctx.redir_flags, 0u);
    EXPECT_EQ(c.ctx.options, OPT_ECHO | OPT_TRACE);
}

struct RedirectionForm {
    const char* op;
    const char* in;
    const char* out;
    const char* err;
    uint32_t flags;
};

TEST(NextCommand, EveryOperatorFormWithTheNameInTheNextWord)
{
    const RedirectionForm forms[] = {
        {"<", "f", "(null)", "(null)", REDIR_ANY},
        {">", "(null)", "f", "(null)", REDIR_ANY},
        {">>", "(null)", "f", "(null)", REDIR_ANY | REDIR_APPEND},
        {">e", "(null)", "(null)", "f", REDIR_ANY},
        {">>e", "(null)", "(null)", "f", REDIR_ANY | REDIR_APPEND},
        {"<>", "f", "(null)", "(null)", REDIR_ANY | REDIR_APPEND},
        {"<>e", "(null)", "(null)", "f", REDIR_ANY | REDIR_APPEND},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.op);
        WordList words{"prog", form.op, "f", "x"};
        Command c;
        c.take(words);
        EXPECT_EQ(c.args(), (Args{"prog", "x"}));
        EXPECT_EQ(text_or_null(c.ctx.in_path), form.in);
        EXPECT_EQ(text_or_null(c.ctx.out_path), form.out);
        EXPECT_EQ(text_or_null(c.ctx.err_path), form.err);
        EXPECT_EQ(c.ctx.redir_flags, form.flags);
    }
}

TEST(NextCommand, NextWordIsTheNameWhateverItIs)
{
    WordList words{"prog", ">", ";", "x", "<", "|"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"prog", "x"}));
    EXPECT_STREQ(c.ctx.out_path, ";");
    EXPECT_STREQ(c.ctx.in_path, "|");
    EXPECT_EQ(c.ctx.options & OPT_PIPE, 0u);
    EXPECT_EQ(*c.rest, nullptr);
}

TEST(NextCommand, OperatorAtTheEndSetsNoNameButCountsAsRedirected)
{
    WordList words{"prog", ">"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"prog"}));
    EXPECT_EQ(c.ctx.out_path, nullptr);
    EXPECT_EQ(c.ctx.redir_flags, REDIR_ANY);
}

TEST(NextCommand, LaterRedirectionOfTheSameStreamWins)
{
    WordList words{"prog", ">", "first", ">", "second", ">e", "e1", ">e", "e2"};
    Command c;
    c.take(words);
    EXPECT_STREQ(c.ctx.out_path, "second");
    EXPECT_STREQ(c.ctx.err_path, "e2");
}

TEST(NextCommand, AppendHoldsForTheWholeCommandOnly)
{
    WordList words{"a", ">", "o", ">>e", "e", ";", "b", ">", "p"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.ctx.redir_flags, REDIR_ANY | REDIR_APPEND);
    EXPECT_STREQ(c.ctx.out_path, "o");
    c.take_next();
    EXPECT_EQ(c.args(), (Args{"b"}));
    EXPECT_EQ(c.ctx.redir_flags, REDIR_ANY);
    EXPECT_STREQ(c.ctx.out_path, "p");
    EXPECT_EQ(c.ctx.err_path, nullptr);
}

TEST(NextCommand, NumberBeforeErrorOperatorStaysAnArgument)
{
    // `prog 2>err` reads as prog, 2, >e, rr: standard error goes to "rr".
    WordList words{"prog", "2", ">e", "rr"};
    Command c;
    c.take(words);
    EXPECT_EQ(c.args(), (Args{"prog", "2"}));
    EXPECT_EQ(c.ctx.out_path, nullptr);
    EXPECT_STREQ(c.ctx.err_path, "rr");
}

// ---------------------------------------------------------------------------------------------
// run_external with program starts switched off: every start fails with code 2, so these
// check what happens around the start: the line, the pipe, the files and their closing.

namespace
{

struct ProgramsOff {
    ProgramsOff() { sys_disable_programs(true); }
    ~ProgramsOff() { sys_disable_programs(false); }
};

std::string temp_path(const char* name) { return ::testing::TempDir() + "vrel_command_" + name; }

void write_file(const std::string& path, const char* text)
{
    SysHandle h = sys_open_output(path.c_str(), false);
    ASSERT_NE(h, SYS_NO_HANDLE);
    ASSERT_TRUE(sys_write(h, text, std::strlen(text)));
    sys_close(h);
}

std::string read_file(const std::string& path)
{
    SysHandle h = sys_open_input(path.c_str(), false);
    if (h == SYS_NO_HANDLE)
        return "(cannot open)";
    std::string out;
    char buffer[256];
    int64_t n;
    while ((n = sys_read(h, buffer, sizeof buffer)) > 0)
        out.append(buffer, static_cast<size_t>(n));
    sys_close(h);
    return out;
}

// True when nobody holds the file any more (it is opened with no sharing).
bool file_is_free(const std::string& path)
{
    SysHandle h = sys_open_output(path.c_str(), true);
    if (h == SYS_NO_HANDLE)
        return false;
    sys_close(h);
    return true;
}

} // namespace

TEST(RunExternal, FailedStartGivesNegatedCodeAndSetsExitCode)
{
    ProgramsOff off;
    WordList words{"nosuch", "arg"};
    Command c;
    c.ctx.exit_code = 99;
    EXPECT_EQ(run_external(words.words(), &c.ctx), -2);
    EXPECT_EQ(c.ctx.exit_code, 2u);
}

TEST(RunExternal, CommandNameSlashesFollowThePlatform)
{
    ProgramsOff off;
    WordList words{"a/b/prog", "x/y"};
    Command c;
    run_external(words.words(), &c.ctx);
    EXPECT_STREQ(words.list[0], PLATFORM_BACKSLASH_COMMANDS ? "a\\b\\prog" : "a/b/prog");
    EXPECT_STREQ(words.list[1], "x/y");
}

TEST(RunExternal, LineOfExactlyTheLimitIsStartedOneMoreIsRefused)
{
    ProgramsOff off;
    // "p", a blank and the word: 32767 bytes fit the buffer with its terminator, 32768 do not.
    std::string longest(32765, 'x');
    WordList fits{"p", longest.c_str()};
    Command c;
    EXPECT_EQ(run_external(fits.words(), &c.ctx), -2); // reached the start
    std::string one_more(32766, 'x');
    WordList too_long{"p", one_more.c_str()};
    EXPECT_EQ(run_external(too_long.words(), &c.ctx), -7);
    EXPECT_EQ(c.ctx.exit_code, 7u);
}

TEST(RunExternal, RefusedLineStillConsumesThePendingPipe)
{
    ProgramsOff off;
    SysHandle read_end, write_end;
    ASSERT_EQ(sys_make_pipe(&read_end, &write_end), 0u);
    HandleOwner writer(write_end);
    std::string huge(40000, 'x');
    WordList words{huge.c_str()};
    Command c;
    c.ctx.pending_pipe = read_end;
    EXPECT_EQ(run_external(words.words(), &c.ctx), -7);
    EXPECT_EQ(c.ctx.pending_pipe, SYS_NO_HANDLE);
}

TEST(RunExternal, PipeOfAFailedStartIsEmptyAndClosed)
{
    ProgramsOff off;
    WordList words{"nosuch"};
    Command c;
    c.ctx.options = OPT_PIPE | OPT_NOWAIT;
    EXPECT_EQ(run_external(words.words(), &c.ctx), -2);
    ASSERT_NE(c.ctx.pending_pipe, SYS_NO_HANDLE);
    // The write end is closed, so the reader sees the end at once instead of waiting.
    char first;
    EXPECT_EQ(sys_read(c.ctx.pending_pipe, &first, 1), 0);
    sys_close(c.ctx.pending_pipe);
}

TEST(RunExternal, OutputFileIsEmptiedAndClosedAfterAFailedStart)
{
    ProgramsOff off;
    std::string out = temp_path("out");
    write_file(out, "old");
    WordList words{"nosuch", ">", out.c_str()};
    Command c;
    c.take(words);
    run_external(c.argv, &c.ctx);
    EXPECT_EQ(read_file(out), "");
    EXPECT_TRUE(file_is_free(out));
}

TEST(RunExternal, AppendKeepsBothFilesContent)
{
    ProgramsOff off;
    std::string out = temp_path("app_out");
    std::string err = temp_path("app_err");
    write_file(out, "o");
    write_file(err, "e");
    WordList words{"nosuch", ">>", out.c_str(), ">e", err.c_str()};
    Command c;
    c.take(words);
    run_external(c.argv, &c.ctx);
    EXPECT_EQ(read_file(out), "o");
    EXPECT_EQ(read_file(err), "e");
    EXPECT_TRUE(file_is_free(out));
    EXPECT_TRUE(file_is_free(err));
}

TEST(RunExternal, SameFileForOutputAndErrorIsOpenedOnceAndClosed)
{
    ProgramsOff off;
    std::string f = temp_path("same");
    write_file(f, "old");
    WordList words{"nosuch", ">", f.c_str(), ">e", f.c_str()};
    Command c;
    c.take(words);
    EXPECT_EQ(run_external(c.argv, &c.ctx), -2);
    EXPECT_EQ(read_file(f), "");
    EXPECT_TRUE(file_is_free(f));
}

TEST(JoinWords, QuotesTheWordsOfAChildShellOnly)
{
    WordList words{"vrel", "echo", "a b", "", "it's"};
    char line[COMMAND_LINE_SIZE];
    ASSERT_TRUE(join_words(line, words.words(), true));
    EXPECT_STREQ(line, "vrel echo 'a b' '' 'it'\\''s'");
    ASSERT_TRUE(join_words(line, words.words(), false));
    EXPECT_STREQ(line, "vrel echo a b  it's");
}

TEST(RunExternal, FileThatCannotBeOpenedStartsNothingAndEmptiesNothing)
{
    std::string out = temp_path("kept");
    write_file(out, "old");
    std::string missing = temp_path("missing");
    std::string folder = ::testing::TempDir();
    WordList words{"vrel", "-f", "-c", "echo", "ran", "<", missing.c_str(), ">", out.c_str()};
    Command c;
    c.take(words);
    c.ctx.options |= OPT_PIPE | OPT_NOWAIT;
    EXPECT_EQ(run_external(c.argv, &c.ctx), -2);
    EXPECT_EQ(c.ctx.exit_code, 2u);
    EXPECT_EQ(read_file(out), "old"); // the input is opened first, and failed
    EXPECT_EQ(c.ctx.pending_pipe, SYS_NO_HANDLE);
    WordList into_folder{"vrel", "-f", "-c", "echo", "ran", ">", folder.c_str()};
    c.take(into_folder);
    int32_t status = run_external(c.argv, &c.ctx);
    EXPECT_LT(status, 0);
    EXPECT_NE(c.ctx.exit_code, 0u);
    EXPECT_EQ(status, -static_cast<int32_t>(c.ctx.exit_code));
}
