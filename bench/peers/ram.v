// A 2^A-word by 16-bit memory, written every cycle at the counter's address with LFSR data and read
// through two ports (address reversed, address rotated by A/2); once every word has been written, a
// 16-bit accumulator takes acc' = rotl(acc) ^ rd0 ^ rd1 each cycle.  Addresses and words are vectors
// here, as the memory reads and writes them whole.
`timescale 1ns/1ns
module top;
  parameter A = 8, CYCLES = 10, HALF = 100;
  parameter [15:0] SEED = 1;
  parameter T0 = 0, T1 = 0, T2 = 0, T3 = 0;
  localparam WORDS = 1 << A;
  localparam END = 2 * CYCLES * HALF + HALF / 2;
  reg clk = 0, rst = 0;
  always #HALF clk = ~clk;
  wire [A-1:0] addr, rev, rot;
  wire [15:0] data, rd0, rd1;
  reg [15:0] acc;
  wire filled, fillNext, wen, carry;
  reg [15:0] mem [0:WORDS-1];
  counter #(.K(A), .SNAP(END - 1)) cnt (clk, rst, carry);
  lfsr #(.W(16), .SEED(SEED), .T0(T0), .T1(T1), .T2(T2), .T3(T3), .SNAP(END - 1)) gen (clk, rst);
  not #10 (wen, rst);
  always @(posedge clk) if (wen) mem[addr] <= data;
  genvar i;
  generate
    for (i = 0; i < A; i = i + 1) begin : perm
      assign addr[i] = cnt.b[i].q;
      assign rev[i] = cnt.b[A-1-i].q;
      assign rot[i] = cnt.b[(i + A/2) % A].q;
    end
    for (i = 0; i < 16; i = i + 1) begin : word
      assign data[i] = gen.b[i].q;
    end
  endgenerate
  assign #10 rd0 = mem[rev];
  assign #10 rd1 = mem[rot];
  or #10 (fillNext, filled, carry);
  dffr ffFilled (clk, rst, fillNext, filled);
  generate
    for (i = 0; i < 16; i = i + 1) begin : ac
      wire mixed, next, q;
      xor #10 (mixed, ac[(i + 15) % 16].q, rd0[i], rd1[i]);
      and #10 (next, filled, mixed);
      dffr ff (clk, rst, next, q);
      initial begin #(END - 1); acc[i] = q; end
    end
  endgenerate
  initial begin
    #(END);
    $display("acc=%h lfsr=%h count=%h", acc, gen.snap, cnt.snap);
    $finish;
  end
endmodule
