function build_sfqpsolv(output_dir)
%BUILD_SFQPSOLV Build the sfqpsolv block module and sfqp_solve from source.
%   BUILD_SFQPSOLV() builds them with this host's own mex command, MATLAB's or
%   Octave's, into the current folder; BUILD_SFQPSOLV(DIR) into DIR.
%
%   sfqpsolv.<mexext>    the block's S-function module (the block's sources
%                        and the solver core)
%   sfqp_solve.<mexext>  [u, info] = sfqp_solve(C, t, options): the block's QP
%                        solved by the same core, for scripts
%
%   The solver's results are reproducible to the last bit only when no
%   product is fused with a sum and nothing is reassociated, so every file is
%   compiled with -ffp-contract=off and -fno-fast-math, in C++20. On x86-64 the
%   core's arithmetic is compiled three times, for x86-64, x86-64-v3 and
%   x86-64-v4, and the module runs the newest the processor has; all three give
%   the same bits.
%
%   mex must use GCC or Clang: on Linux and macOS the usual set-up, on Windows
%   MinGW-w64 (mex -setup C++, with the MinGW-w64 compiler support package).
%   MSVC is not supported: the core is written with GCC's vector extensions
%   (vector_size, __builtin_shufflevector), GCC attributes and GCC's
%   <cpuid.h>, which MSVC does not compile; and the bits rest on
%   -ffp-contract=off, which MSVC does not offer in the same form (its
%   /fp:contract came with Visual Studio 2022; Microsoft documents that
%   /fp:precise allowed contractions into fused multiply-adds before it).

  if nargin < 1
    output_dir = pwd;
  end
  root = fileparts(fileparts(fileparts(mfilename('fullpath'))));
  if ~exist(output_dir, 'dir')
    mkdir(output_dir);
  end
  % Absolute, so that the build's own changes of folder do not move it.
  output_dir = absolute_folder(output_dir);
  objects_dir = tempname;
  mkdir(objects_dir);
  cleanup = onCleanup(@() remove_folder(objects_dir));

  % The builds of the core's arithmetic: the portable one and, on x86-64, the
  % vector builds (cmake/instruction_sets.cmake), each in a namespace of its own.
  if is_x86_64()
    family = 'x86_64';
    vector_sets = {'x86_64_v3', 'x86_64_v4'};
  else
    family = 'portable';
    vector_sets = {};
  end
  % The sources compiled for every build (solver/CMakeLists.txt,
  % kkt/CMakeLists.txt) and those compiled once.
  arithmetic = [in_folder(root, 'kkt', {'fill_kkt', 'kkt_factor', 'kkt_solve', 'kkt_refine'}), ...
                in_folder(root, 'solver', {'operators', 'interior_point', 'arithmetic'})];
  once = in_folder(root, 'solver', {'records', 'console_sink', 'output_step', 'solve_qp', ...
                                    'instruction_set', ['instruction_set_' family]});
  block = in_folder(root, 'block', {'mex_entry', 'method_dispatch', 'block_configuration', ...
                                    'block_outputs'});
  solve = [in_folder(root, fullfile('interfaces', 'octave'), {'sfqp_solve', 'mex_arguments'}), ...
           in_folder(root, 'api', {'core_api'})];

  common = {['-I' root], '-DSFQP_OCTAVE_MEX'};
  core = compile(fullfile(objects_dir, 'core'), [arithmetic, once], common, '');
  for k = 1:numel(vector_sets)
    vector_set = vector_sets{k};
    march = strrep(vector_set, '_', '-');
    options = [common, {['-DSFQP_INSTRUCTION_SET=' vector_set]}];
    flags = ['-march=' march ' -mprefer-vector-width=256'];
    if ispc()
      % Windows aligns the stack to 16 bytes only; GCC spills AVX registers
      % with aligned moves that assume 32.
      flags = [flags ' -Wa,-muse-unaligned-vector-move'];
    end
    core = [core, compile(fullfile(objects_dir, vector_set), arithmetic, options, flags)]; %#ok<AGROW>
  end
  module = compile(fullfile(objects_dir, 'block'), block, common, '');
  solver = compile(fullfile(objects_dir, 'solve'), solve, common, '');

  link(objects_dir, output_dir, 'sfqpsolv', [module, core]);
  link(objects_dir, output_dir, 'sfqp_solve', [solver, core]);
  fprintf('build_sfqpsolv: sfqpsolv.%s and sfqp_solve.%s in %s\n', mexext, mexext, output_dir);
end

function files = in_folder(root, folder, names)
  files = cellfun(@(name) fullfile(root, folder, [name '.cpp']), names, 'UniformOutput', false);
end

% Compiles sources into folder with mex -c, the flags bit-exactness needs and
% extra compiler flags; returns the object files.
function objects = compile(folder, sources, options, extra_flags)
  mkdir(folder);
  previous = pwd;
  restore = onCleanup(@() cd(previous));
  cd(folder);
  % -Wno-psabi: the core's vectors never cross its interface, so GCC's note that
  % their calling convention differs with and without AVX does not apply.
  flags = ['-std=c++20 -O2 -ffp-contract=off -fno-fast-math -Wno-psabi ' extra_flags];
  run_mex([{'-c'}, options, sources], flags);
  listing = [dir(fullfile(folder, '*.o')); dir(fullfile(folder, '*.obj'))];
  objects = cellfun(@(name) fullfile(folder, name), {listing.name}, 'UniformOutput', false);
  if numel(objects) ~= numel(sources)
    error('build_sfqpsolv: %d sources in %s gave %d objects', numel(sources), folder, ...
          numel(objects));
  end
end

% Links objects (all in objects_dir) into name.<mexext> in output_dir. Octave's
% mex passes the output's path to the linker unquoted, so a folder with a space
% in its name broke the link: the link runs in objects_dir on relative names,
% and the finished file is then moved to output_dir, whatever its path holds.
function link(objects_dir, output_dir, name, objects)
  previous = pwd;
  restore = onCleanup(@() cd(previous));
  cd(objects_dir);
  relative = cellfun(@(object) object(numel(objects_dir) + 2:end), objects, 'UniformOutput', false);
  if is_octave()
    run_mex([{'--output', name}, relative], '');
  else
    run_mex([{'-output', name}, relative], '');
  end
  [moved, message] = movefile(fullfile(objects_dir, [name '.' mexext]), output_dir, 'f');
  if ~moved
    error('build_sfqpsolv: cannot move %s.%s into %s: %s', name, mexext, output_dir, message);
  end
end

% mex with compiler flags: Octave's mex (mkoctfile) reads them from the
% environment, MATLAB's mex from a CXXFLAGS argument.
function run_mex(mex_args, flags)
  if is_octave()
    saved = getenv('CXXFLAGS');
    setenv('CXXFLAGS', flags);
    restore = onCleanup(@() setenv('CXXFLAGS', saved));
    mex(mex_args{:});
  else
    mex(['CXXFLAGS=$CXXFLAGS ' flags], mex_args{:});
  end
end

function folder = absolute_folder(folder)
  previous = pwd;
  restore = onCleanup(@() cd(previous));
  cd(folder);
  folder = pwd;
end

function octave = is_octave()
  octave = exist('OCTAVE_VERSION', 'builtin') ~= 0;
end

function x86 = is_x86_64()
  arch = computer('arch');
  x86 = ~isempty(strfind(arch, 'x86_64')) || any(strcmp(arch, {'glnxa64', 'win64', 'maci64'}));
end

function remove_folder(folder)
  if exist(folder, 'dir')
    if is_octave()
      confirm_recursive_rmdir(false, 'local');
    end
    rmdir(folder, 's');
  end
end
