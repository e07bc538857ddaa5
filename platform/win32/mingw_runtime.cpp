// MinGW builds only: keeps the C++ runtime's exception machinery out of the
// exe. The program throws and catches nothing, but libstdc++'s ready-made
// std::string and its error helpers are built with exceptions, and linking
// them drags in the unwinder, the terminate handler and its demangler, which
// is most of a static exe's size. Here the string is instantiated in this
// unit, built without exceptions, and the helpers end the process as an
// uncaught exception would: so does a failed allocation.
#include <cstdlib>
#include <new>
#include <string>

template class std::basic_string<char>;

namespace std {

void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }

}  // namespace std

void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::abort();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
