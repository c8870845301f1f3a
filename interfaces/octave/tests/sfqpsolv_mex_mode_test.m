% sfqpsolv_mex_mode_test: the module as Octave loads it, called from the command
% line: the sizes vector entry by entry, the five-argument call, and the exact
% text of every MEX-mode error (Octave puts "sfqpsolv: " in front), with the
% module still answering after each error, and a block record handle, which
% Octave has no host to hand out.
function sfqpsolv_mex_mode_test()
  % Sizes entries (numbered from 0) and their values after mdlInitializeSizes
  % on a fresh record; every other entry is 0.
  % Two output ports, five input ports, one sample time, the record version,
  % the options word with bit 13 and the flags word.
  sizes = expected_sizes([2 2; 3 5; 6 1; 19 8480229; 23 537403394; 31 2]);
  check_sizes(sfqpsolv([], [], [], 0), sizes, 'sfqpsolv([], [], [], 0)');
  check_sizes(sfqpsolv(1, [1; 2; 3], 'x', 0), sizes, 'other first three arguments');
  check_sizes(sfqpsolv([], [], [], -0), sizes, 'flag -0');
  % A null address in the handle's shape names no record: a fresh one is built.
  check_sizes(sfqpsolv([], [0; 0; 8480229], [], 0), sizes, 'null record handle');

  % A dialog parameter the block does not declare: mdlInitializeSizes stops
  % after declaring none, so no ports, no sample times, bit 13 alone.
  check_sizes(sfqpsolv([], [], [], 0, 7), expected_sizes([19 8480229; 23 8192]), ...
              'five arguments');
  check_sizes(sfqpsolv([], [], [], 0, 'a', {}), expected_sizes([19 8480229; 23 8192]), ...
              'six arguments');

  identity = 'MEX level2 S-function "sfqpsolv"';
  too_few = ['sfqpsolv: ' identity ' must be called with at least 4 right hand arguments'];
  too_many_outputs = ['sfqpsolv: ' identity ' called with too many left hand arguments'];
  not_integer = ['sfqpsolv: The 4th right hand argument, FLAG, passed to ' identity ...
                 ' must be an integer'];
  invalid = ['sfqpsolv: Invalid flag passed to ' identity];
  % Octave has no simulation host: a record handle typed at the prompt names
  % no record, and the module must not follow it.
  no_host = ['sfqpsolv: ' identity ' was given a block record handle, but Octave has ' ...
             'no simulation host to own one: pass [] as the second argument'];
  cases = {
    'sfqpsolv()', too_few
    'sfqpsolv([], [], [])', too_few
    '[a, b] = sfqpsolv([], [], [], 0)', too_many_outputs
    'sfqpsolv([], [], [], [0 0])', not_integer
    'sfqpsolv([], [], [], [])', not_integer
    'sfqpsolv([], [], [], complex(0, 0))', not_integer
    'sfqpsolv([], [], [], 1i)', not_integer
    'sfqpsolv([], [], [], 0.5)', not_integer
    'sfqpsolv([], [], [], NaN)', not_integer
    'sfqpsolv([], [], [], Inf)', not_integer
    'sfqpsolv([], [], [], 1e10)', not_integer
    'sfqpsolv([], [], [], int32(0))', not_integer
    'sfqpsolv([], [], [], ''0'')', not_integer
    'sfqpsolv([], [], [], true)', not_integer
    'sfqpsolv([], [], [], {0})', not_integer
    'sfqpsolv([], [], [], sparse(0))', not_integer
    'sfqpsolv([], [], [], sparse(3))', not_integer
    'sfqpsolv([], [], [], 3)', invalid
    'sfqpsolv([], [], [], -1)', invalid
    'sfqpsolv([], [], [], 2147483647)', invalid
    'sfqpsolv([], [12345; 0; 8480229], [], 0)', no_host
    'sfqpsolv([], [-4096; 32767; 8480229], [], 0)', no_host
    'sfqpsolv([], [12345; 0; 8480229], [], 0, 7)', no_host
  };
  % A sparse handle stores only its nonzeros: it names no record and is never
  % read by position, so the call builds its own record.
  check_sizes(sfqpsolv([], sparse([12345; 0; 8480229]), [], 0), sizes, 'a sparse handle');
  check_sizes(sfqpsolv([], sparse([0; 0; 8480229]), [], 0), sizes, 'a sparse null handle');
  for k = 1:rows(cases)
    expect_error(cases{k, 1}, cases{k, 2});
    check_sizes(sfqpsolv([], [], [], 0), sizes, ['answer after ' cases{k, 1}]);
  end
  printf('sfqpsolv MEX mode: sizes checked, %d error texts exact\n', rows(cases));
end

function sizes = expected_sizes(entries)
  sizes = zeros(40, 1);
  sizes(entries(:, 1) + 1) = entries(:, 2);
end

function check_sizes(got, expected, what)
  if ~isa(got, 'double') || ~isreal(got) || ~isequal(size(got), [40 1])
    error('%s: the sizes are not a real 40x1 double vector', what);
  end
  for k = 1:40
    if got(k) ~= expected(k)
      error('%s: sizes entry %d is %.17g, expected %.17g', what, k - 1, got(k), expected(k));
    end
  end
end
