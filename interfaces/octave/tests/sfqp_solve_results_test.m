% sfqp_solve_results_test(problems_file, expected): sfqp_solve reproduces the
% core's results to the bit on every problem of a problems file: iterations,
% converged, u, output1, e, y, s, z, objv, gap, both residuals and the console
% text. expected is a results file (JSON Lines with hexadecimal floats, as
% `sfqp solve --exact` writes them) or the sfqp tool, which is then run on the
% problems.
function sfqp_solve_results_test(problems_file, expected)
  problems = read_json_lines(problems_file);
  if ~isempty(regexp(expected, '\.jsonl$', 'once'))
    wanted = read_json_lines(expected);
  else
    [status, output] = system(sprintf('"%s" solve --exact "%s"', expected, problems_file));
    if status ~= 0
      error('%s solve --exact failed (%d): %s', expected, status, output);
    end
    wanted = read_json_lines(output, true);
  end
  if numel(problems) ~= numel(wanted) || isempty(problems)
    error('%d problems but %d results', numel(problems), numel(wanted));
  end

  for n = 1:numel(problems)
    problem = problems{n};
    want = wanted{n};
    name = sprintf('problem %d (%s)', n, want.name);
    arguments = {reshape(json_number(problem.coupling), 4, 16), json_number(problem.target)};
    if isfield(problem, 'settings') || isfield(problem, 'weights')
      arguments{3} = options_of(problem);
    end
    console = evalc('[u, info] = sfqp_solve(arguments{:});');

    check(json_number(want.iterations) == info.iterations, name, 'iterations');
    check(json_number(want.converged) == info.converged, name, 'converged');
    expect_same_bits(want.u, u, [name ': u']);
    expect_same_bits(want.output1, info.output1, [name ': output1']);
    expect_same_bits(want.e, info.e, [name ': e']);
    expect_same_bits(want.y, info.y, [name ': y']);
    expect_same_bits(want.s, info.s, [name ': s']);
    expect_same_bits(want.z, info.z, [name ': z']);
    expect_same_bits(want.gap, info.gap, [name ': gap']);
    expect_same_bits(want.eq_residual_sq, info.eq_residual_sq, [name ': eq_residual_sq']);
    expect_same_bits(want.ineq_residual_sq, info.ineq_residual_sq, [name ': ineq_residual_sq']);
    if isempty(want.objv)
      check(isnan(info.objv), name, 'objv is NaN when the solver did not compute it');
    else
      expect_same_bits(want.objv, info.objv, [name ': objv']);
    end
    if isfield(want, 'console')
      check(strcmp(console, want.console), name, 'console text');
    else
      check(isempty(console), name, 'prints nothing');
    end
  end
  printf('sfqp_solve: %d of %d problems bit-identical\n', numel(problems), numel(problems));
end

% A problem's settings start from the defaults, whose progress table is on;
% sfqp_solve's start from the block's, whose table is off.
function options = options_of(problem)
  options = struct();
  if isfield(problem, 'settings')
    options.print_progress = 1;
    for field = fieldnames(problem.settings)'
      options.(field{1}) = json_number(problem.settings.(field{1}));
    end
  end
  if isfield(problem, 'weights')
    for field = fieldnames(problem.weights)'
      options.(field{1}) = json_number(problem.weights.(field{1}));
    end
  end
end

function check(condition, name, what)
  if ~condition
    error('%s: %s differs', name, what);
  end
end
