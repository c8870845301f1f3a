% sfqp_solve_arguments_test: what sfqp_solve returns, how options act, and the
% exact text of every argument error, with the function still answering the
% same after each error.
function sfqp_solve_arguments_test()
  C = [ones(4, 4) / 4, 0.5 * eye(4), zeros(4, 8)];
  C(1, 9:16) = 1 / 8;
  t = [0.6; 0.1; -0.1; 0.2];
  [u, info] = sfqp_solve(C, t);

  % Shapes and classes of the results.
  assert(isequal(size(u), [16 1]) && isa(u, 'double'));
  assert(isequal(fieldnames(info)', {'iterations', 'converged', 'output1', 'e', 'y', 's', ...
                                     'z', 'objv', 'gap', 'eq_residual_sq', 'ineq_residual_sq'}));
  assert(islogical(info.converged) && info.converged);
  assert(info.iterations >= 1 && info.iterations <= 24);
  assert(isequal(size(info.e), [4 1]) && isequal(size(info.y), [4 1]));
  assert(isequal(size(info.s), [32 1]) && isequal(size(info.z), [32 1]));
  expect_same_bits(u, info.output1, 'output1 is u within the iteration budget');
  assert(all(u >= 0 & u <= 1));
  assert(~isnan(info.objv));
  expect_same_bits(sfqp_solve(C, t'), u, 't as a row');

  % Options: a setting changes the solve; the block's quiet defaults otherwise.
  assert(isempty(evalc('sfqp_solve(C, t);')));
  [~, limited] = sfqp_solve(C, t, struct('iteration_limit', int32(0)));
  assert(limited.iterations == 0 && ~limited.converged && isnan(limited.objv));
  printed = evalc('sfqp_solve(C, t, struct(''print_progress'', true));');
  assert(~isempty(printed), 'print_progress prints the progress table');
  [heavy_u, heavy] = sfqp_solve(C, t, struct('effort_weight', 100 * ones(16, 1), ...
                                               'error_weight', [1 1 1 1]));
  assert(norm(heavy_u) < norm(u), 'heavier effort weights give smaller commands');
  assert(norm(heavy.e) > norm(info.e), 'lighter error weights give larger errors');
  [quiet_u, quiet] = sfqp_solve(C, t, struct());
  expect_same_bits(quiet_u, u, 'empty options');
  assert(quiet.iterations == info.iterations);

  usage = 'sfqp_solve: usage: [u, info] = sfqp_solve(C, t) or sfqp_solve(C, t, options)';
  shape = @(got) ['sfqp_solve: C must be a real 4x16 double matrix, got ' got];
  vector = @(got) ['sfqp_solve: t must be a real double vector of 4 elements, got ' got];
  options = @(got) ['sfqp_solve: options must be a scalar struct of setting names and values, got ' got];
  cases = {
    'sfqp_solve()', usage
    'sfqp_solve(C)', usage
    'sfqp_solve(C, t, struct(), 1)', usage
    '[a, b, c] = sfqp_solve(C, t)', 'sfqp_solve: too many outputs: sfqp_solve returns u and info'
    'sfqp_solve(C(1:3, :), t)', shape('a 3x16 double')
    'sfqp_solve(C'', t)', shape('a 16x4 double')
    'sfqp_solve(C + 1i, t)', shape('a 4x16 complex double')
    'sfqp_solve(single(C), t)', shape('a 4x16 single')
    'sfqp_solve(int32(C), t)', shape('a 4x16 int32')
    'sfqp_solve(C > 0, t)', shape('a 4x16 logical')
    'sfqp_solve(sparse(C), t)', shape('a 4x16 sparse double')
    'sfqp_solve(cat(3, C, C), t)', shape('a 4x16x2 double')
    'sfqp_solve(''text'', t)', shape('a 1x4 char')
    'sfqp_solve({C}, t)', shape('a 1x1 cell')
    'sfqp_solve([], t)', shape('a 0x0 double')
    'sfqp_solve(C, t(1:3))', vector('a 3x1 double')
    'sfqp_solve(C, reshape(t, 2, 2))', vector('a 2x2 double')
    'sfqp_solve(C, [t; 0])', vector('a 5x1 double')
    'sfqp_solve(C, t * 1i)', vector('a 4x1 complex double')
    'sfqp_solve(C, single(t))', vector('a 4x1 single')
    'sfqp_solve(C, t, 5)', options('a 1x1 double')
    'sfqp_solve(C, t, struct(''iteration_limit'', {1, 2}))', options('a 1x2 struct')
    'sfqp_solve(C, t, struct(''iteration_limit'', [1 2]))', ...
        'sfqp_solve: options.iteration_limit must be a real scalar, got a 1x2 double'
    'sfqp_solve(C, t, struct(''iteration_limit'', ''abc''))', ...
        'sfqp_solve: options.iteration_limit must be a real scalar, got a 1x3 char'
    'sfqp_solve(C, t, struct(''gap_tolerance'', 1i))', ...
        'sfqp_solve: options.gap_tolerance must be a real scalar, got a 1x1 complex double'
    'sfqp_solve(C, t, struct(''iteration_limit'', 2.5))', ...
        'sfqp_solve: options.iteration_limit must be a whole number up to 1000 (0 or less: no iteration)'
    'sfqp_solve(C, t, struct(''iteration_limit'', 1e10))', ...
        'sfqp_solve: options.iteration_limit must be a whole number up to 1000 (0 or less: no iteration)'
    'sfqp_solve(C, t, struct(''refinement_passes'', -1))', ...
        'sfqp_solve: options.refinement_passes must be a whole number from 0 to 100'
    'sfqp_solve(C, t, struct(''print_progress'', NaN))', ...
        'sfqp_solve: options.print_progress must be 0 or 1 (a flag)'
    'sfqp_solve(C, t, struct(''gap_tolerance'', -1e-6))', ...
        'sfqp_solve: options.gap_tolerance must be a finite number from 0 up'
    'sfqp_solve(C, t, struct(''kkt_regularization'', Inf))', ...
        'sfqp_solve: options.kkt_regularization must be a finite number above 0'
    'sfqp_solve(C, t, struct(''nonsense'', 1))', ...
        ['sfqp_solve: options.nonsense is not a setting; the settings: residual_tolerance, ' ...
         'gap_tolerance, initial_slack, initial_dual, kkt_regularization, iteration_limit, ' ...
         'refinement_passes, improved_start, print_progress, print_refinement, print_kkt_checks']
    'sfqp_solve(C, t, struct(''error_weight'', [1 2 -3 4]))', ...
        'sfqp_solve: options.error_weight(3) must be a finite number from 0 up'
    'sfqp_solve(C, t, struct(''effort_weight'', [ones(15, 1); NaN]))', ...
        'sfqp_solve: options.effort_weight(16) must be a finite number from 0 up'
    'sfqp_solve(C, t, struct(''error_weight'', [1 2 3]))', ...
        'sfqp_solve: options.error_weight must be a real double vector of 4 elements, got a 1x3 double'
    'sfqp_solve(C, t, struct(''effort_weight'', int8(ones(16, 1))))', ...
        'sfqp_solve: options.effort_weight must be a real double vector of 16 elements, got a 16x1 int8'
  };
  for k = 1:rows(cases)
    expect_error(cases{k, 1}, cases{k, 2});
    [again, again_info] = sfqp_solve(C, t);
    expect_same_bits(u, again, ['answer after ' cases{k, 1}]);
    assert(again_info.iterations == info.iterations);
  end

  try
    sfqp_solve(C);
  catch err
    assert(strcmp(err.identifier, 'sfqp:usage'), 'errors carry an identifier');
  end
  printf('sfqp_solve arguments: %d error cases and the results checked\n', rows(cases));
end
