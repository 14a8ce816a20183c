// environment.cpp: the process environment, kept in the layer's own array of "NAME=VALUE".
//
// The C library's setenv never frees a value it replaced, so a script that sets a variable in a
// loop would grow without end. The layer owns every string and the array itself and installs
// the array as `environ`, so getenv, the C library and every child see each change.
#include "platform/platform.h"
#include "posix_layer.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

static char** env_array = nullptr;
static size_t env_count = 0;
static size_t env_capacity = 0; // entries the array holds besides its null terminator

static void free_array(char** array, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        free(array[i]);
    free(array);
}

void take_over_environment()
{
    if (env_array && environ == env_array)
        return;
    size_t count = 0;
    while (environ && environ[count])
        ++count;
    size_t capacity = count + 16;
    char** fresh = static_cast<char**>(malloc((capacity + 1) * sizeof(char*)));
    if (!fresh)
        return;
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i)
        if (char* copy = strdup(environ[i]))
            fresh[kept++] = copy;
    fresh[kept] = nullptr;
    // Our previous strings were copied above, whoever changed `environ` since.
    if (env_array)
        free_array(env_array, env_count);
    env_array = fresh;
    env_count = kept;
    env_capacity = capacity;
    environ = env_array;
}

static bool valid_name(const char* name) { return name && *name && !strchr(name, '='); }

// The index of the entry of `name`, or env_count when there is none.
static size_t find_entry(const char* name)
{
    size_t length = strlen(name);
    for (size_t i = 0; i < env_count; ++i)
        if (env_array[i][0] == name[0] && strncmp(env_array[i], name, length) == 0 &&
            env_array[i][length] == '=')
            return i;
    return env_count;
}

static void remove_entry(size_t index)
{
    free(env_array[index]);
    memmove(env_array + index, env_array + index + 1, (env_count - index) * sizeof(char*));
    --env_count;
}

static bool append_entry(char* entry)
{
    if (env_count == env_capacity) {
        size_t capacity = env_capacity * 2;
        void* grown = realloc(env_array, (capacity + 1) * sizeof(char*));
        if (!grown)
            return false;
        env_array = static_cast<char**>(grown);
        env_capacity = capacity;
        environ = env_array;
    }
    env_array[env_count++] = entry;
    env_array[env_count] = nullptr;
    return true;
}

static char* make_entry(const char* name, const char* value)
{
    size_t name_length = strlen(name), value_length = strlen(value);
    char* entry = static_cast<char*>(malloc(name_length + value_length + 2));
    if (!entry)
        return nullptr;
    memcpy(entry, name, name_length);
    entry[name_length] = '=';
    memcpy(entry + name_length + 1, value, value_length + 1);
    return entry;
}

bool sys_set_env(const char* name, const char* value)
{
    if (!valid_name(name))
        return false;
    take_over_environment();
    if (!env_array)
        return false;
    size_t index = find_entry(name);
    if (!value) {
        if (index < env_count)
            remove_entry(index);
        return true;
    }
    char* entry = make_entry(name, value);
    if (!entry)
        return false;
    if (index == env_count) {
        if (append_entry(entry))
            return true;
        free(entry);
        return false;
    }
    free(env_array[index]);
    env_array[index] = entry;
    return true;
}

size_t sys_get_env(const char* name, char* buffer, size_t size)
{
    if (size == 0)
        return 0;
    buffer[0] = 0;
    if (!valid_name(name))
        return 0;
    take_over_environment();
    size_t index = find_entry(name);
    if (index == env_count)
        return 0;
    const char* value = env_array[index] + strlen(name) + 1;
    size_t length = strlen(value);
    if (length + 1 > size)
        return 0;
    memcpy(buffer, value, length + 1);
    return length;
}

size_t sys_env_length(const char* name)
{
    if (!valid_name(name))
        return 0;
    take_over_environment();
    size_t index = find_entry(name);
    return index == env_count ? 0 : strlen(env_array[index] + strlen(name) + 1);
}

void sys_for_each_env(void (*visit)(const char* entry, void* data), void* data)
{
    take_over_environment();
    for (size_t i = 0; i < env_count; ++i)
        visit(env_array[i], data);
}
