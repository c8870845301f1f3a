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
    inputs = json_number([cellstr(problem.coupling)(:); cellstr(problem.target)(:)]);
    arguments = {reshape(inputs(1:64), 4, 16), inputs(65:end)};
    if isfield(problem, 'settings') || isfield(problem, 'weights')
      arguments{3} = options_of(problem);
    end
    console = evalc('[u, info] = sfqp_solve(arguments{:});');

    check(str2double(want.iterations) == info.iterations, name, 'iterations');
    check(str2double(want.converged) == info.converged, name, 'converged');
    info.u = u;
    expect_same_fields(want, info, name, {'u', 'output1', 'e', 'y', 's', 'z', 'gap', ...
                                          'eq_residual_sq', 'ineq_residual_sq'});
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

% All the named fields at once (one exact read of their strings): the first
% difference is reported with its field and position.
function expect_same_fields(want, got, name, fields)
  wanted = cellfun(@(field) cellstr(want.(field))(:), fields, 'UniformOutput', false);
  counts = cellfun(@numel, wanted);
  actual = cellfun(@(field) got.(field)(:), fields, 'UniformOutput', false);
  if ~isequal(counts, cellfun(@numel, actual))
    error('%s: the fields have %s values, expected %s', name, ...
          mat2str(cellfun(@numel, actual)), mat2str(counts));
  end
  expected = json_number(vertcat(wanted{:}));
  actual = vertcat(actual{:});
  same = (isnan(expected) & isnan(actual)) | all(num2hex(expected) == num2hex(actual), 2);
  if ~all(same)
    k = find(~same, 1);
    field = find(k <= cumsum(counts), 1);
    position = k - sum(counts(1:field - 1)) - 1;
    error('%s: %s at position %d: expected %s (%.17g), got %s (%.17g)', name, fields{field}, ...
          position, num2hex(expected(k)), expected(k), num2hex(actual(k)), actual(k));
  end
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
