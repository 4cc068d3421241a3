// The butterfly stages of FftEngine in the instruction sets the processor offers. All give
// the same bits; the choice is made once, at run time.
#pragma once
#include <vector>

namespace tessel {
namespace fft_kernels {

// All butterfly stages over `half` complex elements held as real and imaginary arrays;
// tw0[g], tw1[g] are twiddle pair g divided by 32768.
using ButterfliesFn = void (*)(double* re, double* im, const double* tw0, const double* tw1,
                               int half);

struct Kernel {
  const char* name;
  ButterfliesFn run;
};

// Every kernel this processor can run, the plain one first and the fastest last.
std::vector<Kernel> AvailableKernels();
// The fastest of them.
ButterfliesFn BestKernel();

#if defined(__SSE2__)
// Built with AVX2 code; called only when the processor has it.
void ButterfliesAvx2(double* re, double* im, const double* tw0, const double* tw1, int half);
#endif

}  // namespace fft_kernels
}  // namespace tessel
