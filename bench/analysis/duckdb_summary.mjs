// The same summary with DuckDB on one thread, for comparison (no date parsing or sort):
//   node duckdb_summary.mjs LOG.csv      (npm install @duckdb/node-api beside it)
import { DuckDBInstance } from '@duckdb/node-api';

const db = await DuckDBInstance.create(':memory:', { threads: '1' });
const con = await db.connect();
const reader = await con.runAndReadAll(
  `SELECT call, hour, round(avg(s)) AS s FROM read_csv('${process.argv[2]}', header = false,
     columns = {'date': 'VARCHAR', 'hour': 'VARCHAR', 'band': 'VARCHAR', 'call': 'VARCHAR', 's': 'DOUBLE'})
   WHERE band = '14' GROUP BY call, hour ORDER BY call, hour`);
console.log(reader.getRows().length, 'cells');
