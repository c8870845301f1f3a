% build_sfqpsolv_test(output_dir, problems_file, tool): interfaces/matlab's
% build script, run with Octave's own mex, gives MEX files that work: the module
% answers the sizes call and its MEX-mode errors as the CMake-built one does,
% and sfqp_solve reproduces the tool's results to the bit on every problem.
function build_sfqpsolv_test(output_dir, problems_file, tool)
  build_sfqpsolv(output_dir);
  addpath(output_dir);  % ahead of the CMake-built files on the path
  for name = {'sfqpsolv', 'sfqp_solve'}
    found = which(name{1});
    if ~strcmp(fileparts(found), output_dir)
      error('%s resolves to %s, not to the script''s build', name{1}, found);
    end
  end
  sfqpsolv_mex_mode_test();
  sfqp_solve_results_test(problems_file, tool);
end
