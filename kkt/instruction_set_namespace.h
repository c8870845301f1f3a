// The arithmetic of the core (kkt/ and the iteration in solver/) is compiled
// once for each instruction set it runs on, and solve_qp picks one of them at
// run time (solver/instruction_set.h). So that the compilations link side by
// side, each puts its functions in a namespace of its own, named by
// SFQP_INSTRUCTION_SET, which the build defines for every compilation but the
// portable one. The namespace is inline: code outside the arithmetic names
// sfqp::kkt_factor and gets the portable build, and each build's code calls
// its own functions.
#pragma once

#ifndef SFQP_INSTRUCTION_SET
#if defined(__x86_64__)
#define SFQP_INSTRUCTION_SET x86_64
#else
#define SFQP_INSTRUCTION_SET portable
#endif
#endif
